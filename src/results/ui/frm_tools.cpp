#include "results/ui/frm_tools.h"

#include "platform/command_port.h"
#include "scan/document.h"
#include "settings/settings_values.h"

#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QTabWidget>
#include <QTreeView>
#include <QVBoxLayout>

namespace twinsift {

namespace {

QString displayText(std::string_view text, Codec codec) {
    if (codec == Codec::Utf8) return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
    return QString::fromStdString(toUtf8(text, codec));
}

QPushButton* makeButton(QWidget* parent, const char* name, const QString& caption) {
    auto* b = new QPushButton(caption, parent);
    b->setObjectName(QString::fromLatin1(name));
    b->setAccessibleName(caption);
    // Only Calculate answers Enter, whichever button has the focus.
    b->setAutoDefault(false);
    return b;
}

QRadioButton* makeOption(QWidget* parent, const QString& name, const QString& caption) {
    auto* o = new QRadioButton(caption, parent);
    o->setObjectName(name);
    o->setAccessibleName(caption);
    return o;
}

QLabel* makeLabel(QWidget* parent, const char* name, const QString& caption) {
    auto* l = new QLabel(caption, parent);
    l->setObjectName(QString::fromLatin1(name));
    l->setAccessibleName(caption);
    l->setWordWrap(true);
    return l;
}

} // namespace

// The main window's port for the exports, except that "the window" they
// disable while the output is built is this one, not the main window under it.
class frmTools::ToolsPort final : public CommandPort {
public:
    ToolsPort(CommandPort& main, QWidget& window) : main_(main), window_(window) {}

    void setPanelText(std::string_view key, std::string_view text) override { main_.setPanelText(key, text); }
    std::string panelText(std::string_view key) const override { return main_.panelText(key); }
    void setCaption(std::string_view caption) override { main_.setCaption(caption); }
    void setMousePointer(MousePointer pointer) override { main_.setMousePointer(pointer); }
    void setProgressRange(std::int64_t min, std::int64_t max) override { main_.setProgressRange(min, max); }
    void setProgressValue(std::int64_t value) override { main_.setProgressValue(value); }
    void pumpEvents() override { main_.pumpEvents(); }

    void setButtonEnabled(CmdButton button, bool enabled) override { main_.setButtonEnabled(button, enabled); }
    void setButtonVisible(CmdButton button, bool visible) override { main_.setButtonVisible(button, visible); }
    void setButtonFocus(CmdButton button) override { main_.setButtonFocus(button); }
    void refreshButtonBar() override { main_.refreshButtonBar(); }
    void setMainWindowEnabled(bool enabled) override { window_.setEnabled(enabled); }

    MsgResult messageBox(std::string_view id, std::string_view text, MsgIcon icon, MsgButtons buttons,
                         std::string_view title = {}) override {
        return main_.messageBox(id, text, icon, buttons, title);
    }
    std::optional<std::string> inputBox(std::string_view id, std::string_view prompt, std::string_view title,
                                        std::string_view defaultText) override {
        return main_.inputBox(id, prompt, title, defaultText);
    }
    std::string openFileDialog(const FileDialogRequest& request) override { return main_.openFileDialog(request); }
    std::string saveFileDialog(const FileDialogRequest& request) override { return main_.saveFileDialog(request); }

    void showRowsAdded(std::int32_t rowCount) override { main_.showRowsAdded(rowCount); }
    void showRowChanged(std::int32_t row) override { main_.showRowChanged(row); }
    void showNoticeRow(std::string_view text) override { main_.showNoticeRow(text); }
    void setDupViewDisplayOption(bool on) override { main_.setDupViewDisplayOption(on); }
    void dupRowsAdded(std::int32_t rowCount) override { main_.dupRowsAdded(rowCount); }
    void unselectViewRows() override { main_.unselectViewRows(); }
    void refreshViews() override { main_.refreshViews(); }
    void clearListViews() override { main_.clearListViews(); }
    void setDupRowChecked(std::int32_t index, bool checked) override { main_.setDupRowChecked(index, checked); }
    void dupRowsChecked(std::int32_t first, std::int32_t last) override { main_.dupRowsChecked(first, last); }
    std::int32_t highlightedDupRow() const override { return main_.highlightedDupRow(); }

    WindowService& windows() override { return main_.windows(); }
    DesktopServices& desktop() override { return main_.desktop(); }

private:
    CommandPort& main_;
    QWidget& window_;
};

FrequencyModel::FrequencyModel(const FrequencyList& list, Codec codec, QObject* parent)
    : QAbstractTableModel(parent), list_(list), codec_(codec) {}

int FrequencyModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(list_.rows().size());
}

int FrequencyModel::columnCount(const QModelIndex& parent) const { return parent.isValid() ? 0 : 2; }

QVariant FrequencyModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || index.row() >= rowCount() || index.column() >= 2) return {};
    if (role != Qt::DisplayRole && role != Qt::AccessibleTextRole) return {};
    const FrequencyRow& r = list_.rows()[static_cast<std::size_t>(index.row())];
    if (index.column() == 0) return QString::number(r.count);
    return displayText(r.line, codec_);
}

QVariant FrequencyModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole) return {};
    if (section == 0) return QStringLiteral("Count");
    if (section == 1) return QStringLiteral("Line");
    return {};
}

void FrequencyModel::reload() {
    beginResetModel();
    endResetModel();
}

frmTools::frmTools(SettingsValues& settings, const LoadedDocument& doc, CommandPort& port, QWidget* parent)
    : QDialog(parent), settings_(settings), doc_(doc), port_(port) {
    setObjectName(QStringLiteral("frmTools"));
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint);
    setWindowTitle(QStringLiteral("Tools"));
    setAccessibleName(windowTitle());
    setModal(true);

    toolsPort_ = std::make_unique<ToolsPort>(port_, *this);
    // Whether pre-processing was used is fixed when the window opens.
    export_ = std::make_unique<DuplicateExport>(doc_, settings_, *toolsPort_);
    model_ = new FrequencyModel(freq_, doc_.codec, this);

    TabStrip = new QTabWidget(this);
    TabStrip->setObjectName(QStringLiteral("TabStrip"));
    TabStrip->setAccessibleName(QStringLiteral("TabStrip"));
    buildFrequencyPage();
    buildCopySavePage();
    TabStrip->addTab(frmFreq, QStringLiteral("Duplicate Frequency"));
    TabStrip->addTab(frmCopySave, QStringLiteral("Copy / Save Duplicates"));

    cmdClose = makeButton(this, "cmdClose", QStringLiteral("Close"));
    connect(cmdClose, &QPushButton::clicked, this, &QDialog::reject);

    auto* bottom = new QHBoxLayout;
    bottom->addStretch(1);
    bottom->addWidget(cmdClose);
    auto* outer = new QVBoxLayout(this);
    outer->addWidget(TabStrip, 1);
    outer->addLayout(bottom);

    setUpContentOptions();
    TabStrip->setCurrentIndex(0);
    resize(560, 420);
}

frmTools::~frmTools() = default;

void frmTools::buildFrequencyPage() {
    frmFreq = new QWidget(TabStrip);
    frmFreq->setObjectName(QStringLiteral("frmFreq"));
    frmFreq->setAccessibleName(QStringLiteral("Duplicate Frequency"));

    lblFreq = makeLabel(frmFreq, "lblFreq",
                        QStringLiteral("Here you can see the number of times each unique duplicate was found in the "
                                       "currently loaded file. "));

    lvFreq = new QTreeView(frmFreq);
    lvFreq->setObjectName(QStringLiteral("lvFreq"));
    lvFreq->setAccessibleName(QStringLiteral("lvFreq"));
    lvFreq->setRootIsDecorated(false);
    lvFreq->setItemsExpandable(false);
    lvFreq->setUniformRowHeights(true);
    lvFreq->setAllColumnsShowFocus(true);
    lvFreq->setSelectionBehavior(QAbstractItemView::SelectRows);
    lvFreq->setEditTriggers(QAbstractItemView::NoEditTriggers);
    lvFreq->setModel(model_);
    QHeaderView* header = lvFreq->header();
    header->setSectionsClickable(true);
    header->setSortIndicatorShown(false);
    header->setStretchLastSection(true);
    header->resizeSection(0, 80);
    // The list sorts itself on a header click; the view never sorts on its own.
    connect(header, &QHeaderView::sectionClicked, this, &frmTools::lvFreq_ColumnClick);

    cmdFreq = makeButton(frmFreq, "cmdFreq", QStringLiteral("Calculate"));
    cmdFreq->setToolTip(QStringLiteral("Click to calculate te duplicate frequency"));
    cmdFreq->setDefault(true);
    connect(cmdFreq, &QPushButton::clicked, this, &frmTools::cmdFreq_Click);

    cmdFreqCopy = makeButton(frmFreq, "cmdFreqCopy", QStringLiteral("Copy"));
    cmdFreqCopy->setToolTip(QStringLiteral("Copy the list to the clipboard"));
    cmdFreqCopy->setEnabled(false);
    connect(cmdFreqCopy, &QPushButton::clicked, this, &frmTools::cmdFreqCopy_Click);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(cmdFreq);
    buttons->addWidget(cmdFreqCopy);
    auto* page = new QVBoxLayout(frmFreq);
    page->addWidget(lblFreq);
    page->addWidget(lvFreq, 1);
    page->addLayout(buttons);
}

void frmTools::buildCopySavePage() {
    frmCopySave = new QWidget(TabStrip);
    frmCopySave->setObjectName(QStringLiteral("frmCopySave"));
    frmCopySave->setAccessibleName(QStringLiteral("Copy / Save Duplicates"));

    lblCopySave = makeLabel(frmCopySave, "lblCopySave",
                            QStringLiteral("Here you can copy duplicates to the clipboard or save them to a text file."));

    frmLines = new QGroupBox(QStringLiteral("Lines"), frmCopySave);
    frmLines->setObjectName(QStringLiteral("frmLines"));
    frmLines->setAccessibleName(QStringLiteral("Lines"));
    frmContent = new QGroupBox(QStringLiteral("Content"), frmCopySave);
    frmContent->setObjectName(QStringLiteral("frmContent"));
    frmContent->setAccessibleName(QStringLiteral("Content"));

    const QString lineCaptions[3] = {QStringLiteral("All duplicates"), QStringLiteral("Selected duplicates"),
                                     QStringLiteral("Not selected duplicates")};
    const QString contentCaptions[3] = {QStringLiteral("Original line"), QStringLiteral("After pre-processor filter"),
                                        QStringLiteral("Line number")};
    auto* lines = new QVBoxLayout(frmLines);
    auto* contents = new QVBoxLayout(frmContent);
    for (int i = 0; i < 3; ++i) {
        optLine[i] = makeOption(frmLines, QStringLiteral("optLine%1").arg(i), lineCaptions[i]);
        optContent[i] = makeOption(frmContent, QStringLiteral("optContent%1").arg(i), contentCaptions[i]);
        lines->addWidget(optLine[i]);
        contents->addWidget(optContent[i]);
    }
    lines->addStretch(1);
    contents->addStretch(1);
    optLine[0]->setChecked(true);
    optContent[0]->setChecked(true);

    cmdOk = makeButton(frmCopySave, "cmdOk", QStringLiteral("Copy"));
    connect(cmdOk, &QPushButton::clicked, this, [this] { export_->cmdOk_Click(chosenLines(), chosenContent()); });
    cmdSave = makeButton(frmCopySave, "cmdSave", QStringLiteral("Save as"));
    connect(cmdSave, &QPushButton::clicked, this, [this] { export_->cmdSave_Click(chosenLines(), chosenContent()); });

    auto* frames = new QHBoxLayout;
    frames->addWidget(frmLines, 1);
    frames->addWidget(frmContent, 1);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(cmdOk);
    buttons->addWidget(cmdSave);
    auto* page = new QVBoxLayout(frmCopySave);
    page->addWidget(lblCopySave);
    page->addLayout(frames);
    page->addStretch(1);
    page->addLayout(buttons);
}

void frmTools::setUpContentOptions() {
    const ExportOptionState st = ExportOptionSetup(export_->bPreprocessUsed(), doc_.bReducedMemory, chosenContent());
    optContent[static_cast<int>(st.content)]->setChecked(true);
    optContent[0]->setEnabled(st.originalEnabled);
    optContent[1]->setEnabled(st.preprocessedEnabled);
}

ExportLines frmTools::chosenLines() const {
    if (optLine[1]->isChecked()) return ExportLines::Selected;
    if (optLine[2]->isChecked()) return ExportLines::NotSelected;
    return ExportLines::All;
}

ExportContent frmTools::chosenContent() const {
    if (optContent[1]->isChecked()) return ExportContent::Preprocessed;
    if (optContent[2]->isChecked()) return ExportContent::LineNumber;
    return ExportContent::Original;
}

void frmTools::cmdFreq_Click() {
    if (!cmdFreq->isEnabled()) return;
    port_.setMousePointer(MousePointer::Hourglass);
    // The case rule is the one set now, not the one the scan ran with.
    freq_.Calculate(doc_.lstDuplicates, settings_.Load_CaseSensitive == 1, doc_.codec);
    model_->reload();
    cmdFreqCopy->setEnabled(true);
    cmdFreq->setEnabled(false);
    port_.setMousePointer(MousePointer::Default);
}

void frmTools::lvFreq_ColumnClick(int column) {
    const auto col = column == 0 ? FrequencyList::Column::Count : FrequencyList::Column::Line;
    if (col == FrequencyList::Column::Line && !collation_) collation_ = std::make_unique<Collation>(doc_.codec);
    port_.setMousePointer(MousePointer::Hourglass);
    freq_.ColumnClick(col, [this](std::string_view a, std::string_view b) { return collation_->compare(a, b); });
    model_->reload();
    QHeaderView* header = lvFreq->header();
    header->setSortIndicatorShown(true);
    header->setSortIndicator(column, freq_.descending() ? Qt::DescendingOrder : Qt::AscendingOrder);
    port_.setMousePointer(MousePointer::Default);
}

void frmTools::cmdFreqCopy_Click() {
    port_.setMousePointer(MousePointer::Hourglass);
    port_.desktop().setClipboardText(toUtf8(freq_.CopyText(), doc_.codec));
    port_.setMousePointer(MousePointer::Default);
}

} // namespace twinsift
