#include "scan/ui/frm_load.h"

#include "office/mod_office.h"
#include "platform/command_port.h"
#include "platform/message_ids.h"
#include "platform/ui/c_tooltip.h"
#include "scan/document.h"
#include "scan/patterns.h"
#include "settings/settings_values.h"

#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QVBoxLayout>

#include <algorithm>
#include <charconv>
#include <limits>

namespace twinsift {

std::optional<std::int16_t> int16FromText(std::string_view text) {
    auto blank = [](char c) { return c == ' ' || c == '\t'; };
    while (!text.empty() && blank(text.front())) text.remove_prefix(1);
    while (!text.empty() && blank(text.back())) text.remove_suffix(1);
    if (!text.empty() && text.front() == '+') text.remove_prefix(1);
    if (text.empty()) return std::nullopt;
    int value = 0;
    const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (ec != std::errc() || end != text.data() + text.size()) return std::nullopt;
    if (value < std::numeric_limits<std::int16_t>::min() || value > std::numeric_limits<std::int16_t>::max())
        return std::nullopt;
    return static_cast<std::int16_t>(value);
}

namespace {

QString qs(std::string_view s) { return QString::fromUtf8(s.data(), static_cast<qsizetype>(s.size())); }
std::string utf8(const QString& s) { return s.toUtf8().toStdString(); }

QCheckBox* checkBox(QWidget* parent, const char* name, const QString& caption) {
    auto* box = new QCheckBox(caption, parent);
    box->setObjectName(QString::fromLatin1(name));
    box->setAccessibleName(caption.isEmpty() ? box->objectName() : caption);
    return box;
}

QLineEdit* textField(QWidget* parent, const char* name, const QString& spokenName) {
    auto* field = new QLineEdit(parent);
    field->setObjectName(QString::fromLatin1(name));
    field->setAccessibleName(spokenName);
    return field;
}

QLabel* label(QWidget* parent, const char* name, const QString& caption) {
    auto* l = new QLabel(caption, parent);
    l->setObjectName(QString::fromLatin1(name));
    l->setAccessibleName(caption);
    return l;
}

QGroupBox* frame(QWidget* parent, const char* name, const QString& caption) {
    auto* f = new QGroupBox(caption, parent);
    f->setObjectName(QString::fromLatin1(name));
    f->setAccessibleName(caption);
    return f;
}

bool on(std::int16_t v) { return v == 1; }
std::int16_t value(const QCheckBox* box) { return box->isChecked() ? 1 : 0; }

// An enabled text field has the window background, a disabled one the
// button face, so that a switched-off option reads as such at a glance.
void enableField(QWidget* w, bool enabled) {
    w->setEnabled(enabled);
    if (auto* field = qobject_cast<QLineEdit*>(w)) {
        QPalette pal = field->palette();
        const QPalette base = QApplication::palette();
        const QColor colour = enabled ? base.color(QPalette::Active, QPalette::Base)
                                      : base.color(QPalette::Active, QPalette::Button);
        for (auto group : {QPalette::Active, QPalette::Inactive, QPalette::Disabled})
            pal.setColor(group, QPalette::Base, colour);
        field->setPalette(pal);
    }
}

} // namespace

frmLoad::frmLoad(SettingsValues& settings, RunState& run, MessagePort& boxes, modOffice* office, QWidget* parent)
    : QDialog(parent), settings_(settings), run_(run), boxes_(boxes), office_(office) {
    setObjectName(QStringLiteral("frmLoad"));
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint |
                   Qt::MSWindowsFixedSizeDialogHint);
    setWindowTitle(QStringLiteral("Opening file..."));
    setAccessibleName(windowTitle());
    buildControls();
    fillControls();
}

void frmLoad::buildControls() {
    const QString appName = QStringLiteral("Twinsift");
    auto help = [this](QWidget* parent, const QString& title, const QString& text) {
        auto* icon = new HelpIcon(parent, title, text);
        icon->setObjectName(QStringLiteral("picTooltip%1").arg(picTooltip.size()));
        picTooltip.push_back(icon);
        return icon;
    };
    // One row: an optional help icon, then the widgets left to right.
    auto row = [](std::initializer_list<QWidget*> widgets, HelpIcon* icon = nullptr) {
        auto* h = new QHBoxLayout;
        for (QWidget* w : widgets) h->addWidget(w);
        h->addStretch(1);
        if (icon) h->addWidget(icon, 0, Qt::AlignTop);
        return h;
    };

    // The three quick references share one text, one construct a line.
    const QString quickReference = QStringLiteral(
        "*  the preceding item 0 or more times\n"
        "+  the preceding item 1 or more times\n"
        "?  the preceding item 0 or 1 time\n"
        "{n}  exactly n times\n"
        "{n,}  at least n times\n"
        "{n,m}  at least n and at most m times\n"
        "?  after a repeat: as few times as possible (non-greedy)\n"
        ".  any character but a line break\n"
        "^  the beginning of the line\n"
        "$  the end of the line\n"
        "\\  takes the next character literally (\\. is a dot)\n"
        "x|y  either x or y\n"
        "[xyz]  one of the characters\n"
        "[^xyz]  any character but these\n"
        "[a-z]  one character of the range\n"
        "[^a-z]  any character outside the range\n"
        "\\b  a word boundary\n"
        "\\B  not a word boundary\n"
        "\\d  a digit\n"
        "\\D  not a digit\n"
        "\\s  a whitespace character\n"
        "\\S  not a whitespace character\n"
        "\\w  a letter, digit or underscore\n"
        "\\W  not a letter, digit or underscore\n"
        "(pattern)  a group, remembered\n"
        "\\1 \\2 \\3  the text the first, second, third group matched");
    TabStrip = new QTabWidget(this);
    TabStrip->setObjectName(QStringLiteral("TabStrip"));
    TabStrip->setAccessibleName(QStringLiteral("TabStrip"));
    auto* page1 = new QWidget(TabStrip);
    auto* page2 = new QWidget(TabStrip);
    auto* page3 = new QWidget(TabStrip);
    TabStrip->addTab(page1, QStringLiteral("Options"));
    TabStrip->addTab(page2, QStringLiteral("Include Filter"));
    TabStrip->addTab(page3, QStringLiteral("Pre-Processing Filter"));

    // --- Options -------------------------------------------------------------
    FrameOptions = frame(page1, "FrameOptions", QStringLiteral("Load Options"));
    chkRemoveWhitespaces = checkBox(FrameOptions, "chkRemoveWhitespaces",
                                    QStringLiteral("Ignore surrounding whitespace (spaces, tabs etc)"));
    chkCaseSensitive = checkBox(FrameOptions, "chkCaseSensitive", QStringLiteral("Case sensitive comparison"));
    chkLoad_IgnoreEmptyLines = checkBox(FrameOptions, "chkLoad_IgnoreEmptyLines", QStringLiteral("Ignore empty lines"));
    {
        auto* v = new QVBoxLayout(FrameOptions);
        v->addLayout(row({chkRemoveWhitespaces},
                         help(FrameOptions, QStringLiteral("Ignore surrounding spaces, tabs and other \"whitespaces\""),
                              QStringLiteral("Spaces, tabs and other whitespace at the beginning or the end of a line "
                                             "are ignored when searching for duplicates, so \"apple\" and "
                                             "\" apple \" count as the same line."))));
        v->addLayout(row({chkCaseSensitive},
                         help(FrameOptions, QStringLiteral("Case sensitive comparison"),
                              QStringLiteral("If this is enabled, large and small letters are treated as different "
                                             "characters when searching for duplicates."))));
        v->addLayout(row({chkLoad_IgnoreEmptyLines},
                         help(FrameOptions, QStringLiteral("Ignore empty lines"),
                              QStringLiteral("Empty lines are not reported as duplicates.\n\nNote: If you also ignore "
                                             "whitespaces (above) then lines consisting of only whitespace will be "
                                             "treated as an empty line."))));
    }

    FrameExcel = frame(page1, "FrameExcel", QStringLiteral("Excel Workbook Options"));
    lblExcelWorksheet = label(FrameExcel, "lblExcelWorksheet", QStringLiteral("Worksheet to open:"));
    cmbExcelWorksheet = new QComboBox(FrameExcel);
    cmbExcelWorksheet->setObjectName(QStringLiteral("cmbExcelWorksheet"));
    cmbExcelWorksheet->setAccessibleName(lblExcelWorksheet->text());
    lblExcelWorksheet->setBuddy(cmbExcelWorksheet);
    lblExcelColumn = label(FrameExcel, "lblExcelColumn", QStringLiteral("Column to process:"));
    cmbExcelColumn = new QComboBox(FrameExcel);
    cmbExcelColumn->setObjectName(QStringLiteral("cmbExcelColumn"));
    cmbExcelColumn->setAccessibleName(lblExcelColumn->text());
    lblExcelColumn->setBuddy(cmbExcelColumn);
    lblExcelInfo = label(FrameExcel, "lblExcelInfo", QStringLiteral("Only used when opening an Excel workbook."));
    {
        auto* g = new QGridLayout(FrameExcel);
        g->addWidget(lblExcelWorksheet, 0, 0);
        g->addWidget(cmbExcelWorksheet, 0, 1);
        g->addWidget(help(FrameExcel, QStringLiteral("Excel Worksheet to open"),
                          QStringLiteral("Choose the worksheet of the workbook that holds the column you want to "
                                         "search for duplicates.")),
                     0, 2, Qt::AlignTop);
        g->addWidget(lblExcelColumn, 1, 0);
        g->addWidget(cmbExcelColumn, 1, 1);
        g->addWidget(help(FrameExcel, QStringLiteral("Excel Column to process"),
                          QStringLiteral("Only the chosen column is searched for duplicates, but when a duplicate "
                                         "is removed its whole row is removed from the worksheet.\n\n") +
                              appName +
                              QStringLiteral(" speaks of lines everywhere; in a workbook each line is a row.")),
                     1, 2, Qt::AlignTop);
        g->addWidget(lblExcelInfo, 2, 0, 1, 3);
        g->setColumnStretch(1, 1);
    }
    {
        auto* v = new QVBoxLayout(page1);
        v->addWidget(FrameOptions);
        v->addWidget(FrameExcel);
        v->addStretch(1);
    }

    const QString wildcards =
        QStringLiteral("Plain text may hold the wildcards * (any characters), ? (one character) and : (one "
                       "letter or digit). Advanced users can tick \"Regular expression\" and write a regular "
                       "expression instead.");

    // --- Include Filter ------------------------------------------------------
    FrameInclude = frame(page2, "FrameInclude", QStringLiteral("Include Filter Options"));
    chkInclude = checkBox(FrameInclude, "chkInclude", QStringLiteral("Include only lines containing:"));
    txtInclude = textField(FrameInclude, "txtInclude", QStringLiteral("Include only lines containing:"));
    chkIncludeCase = checkBox(FrameInclude, "chkIncludeCase", QStringLiteral("Case sensitive"));
    chkIncludeRegExp = checkBox(FrameInclude, "chkIncludeRegExp", QStringLiteral("Regular expression"));
    chkExclude = checkBox(FrameInclude, "chkExclude", QStringLiteral("Exlude lines containing:"));
    txtExclude = textField(FrameInclude, "txtExclude", QStringLiteral("Exlude lines containing:"));
    chkExcludeCase = checkBox(FrameInclude, "chkExcludeCase", QStringLiteral("Case sensitive"));
    chkExcludeRegExp = checkBox(FrameInclude, "chkExcludeRegExp", QStringLiteral("Regular expression"));
    {
        auto* v = new QVBoxLayout(FrameInclude);
        v->addLayout(row({chkInclude}, help(FrameInclude, QStringLiteral("Include Filter"),
                                            QStringLiteral("Lines that do not pass the filter are loaded and shown, "
                                                           "but they are not tested for duplicates.\n\n") +
                                                wildcards)));
        v->addWidget(txtInclude);
        v->addLayout(row({chkIncludeCase, chkIncludeRegExp},
                         help(FrameInclude, QStringLiteral("Regular Expressions Quick Reference"), quickReference)));
        v->addSpacing(8);
        v->addLayout(row({chkExclude}));
        v->addWidget(txtExclude);
        v->addLayout(row({chkExcludeCase, chkExcludeRegExp},
                         help(FrameInclude, QStringLiteral("Regular Expressions Quick Reference"), quickReference)));
        v->addStretch(1);
    }
    {
        auto* v = new QVBoxLayout(page2);
        v->addWidget(FrameInclude);
    }

    // --- Pre-Processing Filter -----------------------------------------------
    FramePreProcessing = frame(page3, "FramePreProcessing", QStringLiteral("Pre-Processing Filter Options"));
    QWidget* f = FramePreProcessing;
    lblOffset = label(f, "lblOffset", QStringLiteral("Offset beginning of line:"));
    chkStartPos = checkBox(f, "chkStartPos", QStringLiteral("Skip the first"));
    txtStartPos = textField(f, "txtStartPos", QStringLiteral("Skip the first"));
    txtStartPos->setMaximumWidth(70);
    lblStartPosChars = label(f, "lblStartPosChars", QStringLiteral("characters."));
    chkStartAfterStr = checkBox(f, "chkStartAfterStr", QStringLiteral("Skip until string is found:"));
    txtStartAfterStr = textField(f, "txtStartAfterStr", QStringLiteral("Skip until string is found:"));
    lblLimit = label(f, "lblLimit", QStringLiteral("Limit length of line:"));
    chkIncludeNumChars = checkBox(f, "chkIncludeNumChars", QStringLiteral("Include up to"));
    txtIncludeNumChars = textField(f, "txtIncludeNumChars", QStringLiteral("Include up to"));
    txtIncludeNumChars->setMaximumWidth(70);
    lblIncludeNumCharsChars = label(f, "lblIncludeNumCharsChars", QStringLiteral("characters."));
    chkIncludeUntilStr = checkBox(f, "chkIncludeUntilStr", QStringLiteral("Cut when string is found:"));
    txtIncludeUntilStr = textField(f, "txtIncludeUntilStr", QStringLiteral("Cut when string is found:"));
    lblAdvanced = label(f, "lblAdvanced", QStringLiteral("Advanced filter:"));
    chkAdvancedFilter = checkBox(f, "chkAdvancedFilter", QString());
    chkAdvancedFilter->setAccessibleName(QStringLiteral("Advanced filter:"));
    txtProcessFilter = textField(f, "txtProcessFilter", QStringLiteral("Advanced filter:"));
    chkProcessCase = checkBox(f, "chkProcessCase", QStringLiteral("Case sensitive"));
    chkProcessRegExp = checkBox(f, "chkProcessRegExp", QStringLiteral("Regular expression"));
    {
        const QString notFound = QStringLiteral(
            "\n\nNote: If you search for a string and it is not found, then the line will not be loaded at all.");
        auto* v = new QVBoxLayout(f);
        v->addLayout(row({lblOffset}, help(f, QStringLiteral("Pre-Processing Filter"),
                                           QStringLiteral("The pre-processing filter removes unimportant parts of "
                                                          "each line before it is compared with the others. When "
                                                          "you save, you can write either the original or the "
                                                          "filtered line.\n\nIf you enabled more that one filter, "
                                                          "each filter is applied from top to bottom."))));
        v->addLayout(row({chkStartPos, txtStartPos, lblStartPosChars},
                         help(f, QStringLiteral("Offset beginning of start"),
                              QStringLiteral("Skip unwanted content at the beginning of each line, either a number of "
                                             "characters or everything up to a string.") +
                                  notFound)));
        v->addLayout(row({chkStartAfterStr, txtStartAfterStr}));
        v->addSpacing(6);
        v->addLayout(row({lblLimit}));
        v->addLayout(row({chkIncludeNumChars, txtIncludeNumChars, lblIncludeNumCharsChars},
                         help(f, QStringLiteral("Limit length of line"),
                              QStringLiteral("Cut unwanted content at the end of each line, after a number of "
                                             "characters or where a string is found.") +
                                  notFound)));
        v->addLayout(row({chkIncludeUntilStr, txtIncludeUntilStr}));
        v->addSpacing(6);
        v->addLayout(row({lblAdvanced, chkAdvancedFilter, txtProcessFilter},
                         help(f, QStringLiteral("Advanced Filter"),
                              QStringLiteral("Filter out sections of each line: only the part that the pattern "
                                             "matches is compared. Use the wildcards * ? : or, with \"Regular "
                                             "expression\" ticked, a regular expression."))));
        v->addLayout(row({chkProcessCase, chkProcessRegExp},
                         help(f, QStringLiteral("Regular Expressions Quick Reference"), quickReference)));
        v->addStretch(1);
    }
    {
        auto* v = new QVBoxLayout(page3);
        v->addWidget(FramePreProcessing);
    }
    for (QLineEdit* t : {txtStartAfterStr, txtIncludeUntilStr, txtProcessFilter, txtInclude, txtExclude})
        t->setMinimumWidth(200);

    cmdOk = new QPushButton(QStringLiteral("Ok"), this);
    cmdOk->setObjectName(QStringLiteral("cmdOk"));
    cmdOk->setAccessibleName(QStringLiteral("Ok"));
    cmdOk->setDefault(true);
    cmdCancel = new QPushButton(QStringLiteral("Cancel"), this);
    cmdCancel->setObjectName(QStringLiteral("cmdCancel"));
    cmdCancel->setAccessibleName(QStringLiteral("Cancel"));

    auto* main = new QVBoxLayout(this);
    main->addWidget(TabStrip);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(cmdOk);
    buttons->addWidget(cmdCancel);
    main->addLayout(buttons);
    main->setSizeConstraint(QLayout::SetFixedSize);

    connect(TabStrip, &QTabWidget::currentChanged, this, &frmLoad::TabStrip_Click);
    connect(cmdOk, &QPushButton::clicked, this, &frmLoad::cmdOk_Click);
    connect(cmdCancel, &QPushButton::clicked, this, &frmLoad::cmdCancel_Click);
    connect(cmbExcelWorksheet, &QComboBox::currentIndexChanged, this, &frmLoad::cmbExcelWorksheet_Click);

    // Ticking one option of a pair clears the other; each box enables what it
    // governs.
    auto pair = [this](QCheckBox* a, QWidget* aField, QCheckBox* b) {
        connect(a, &QCheckBox::toggled, this, [a, aField, b](bool ticked) {
            if (ticked) b->setChecked(false);
            enableField(aField, a->isChecked());
        });
    };
    pair(chkStartPos, txtStartPos, chkStartAfterStr);
    pair(chkStartAfterStr, txtStartAfterStr, chkStartPos);
    pair(chkIncludeNumChars, txtIncludeNumChars, chkIncludeUntilStr);
    pair(chkIncludeUntilStr, txtIncludeUntilStr, chkIncludeNumChars);
    auto group = [this](QCheckBox* box, std::initializer_list<QWidget*> governed) {
        std::vector<QWidget*> list(governed);
        connect(box, &QCheckBox::toggled, this, [list](bool ticked) {
            for (QWidget* w : list) enableField(w, ticked);
        });
    };
    group(chkAdvancedFilter, {txtProcessFilter, chkProcessCase, chkProcessRegExp});
    group(chkInclude, {txtInclude, chkIncludeCase, chkIncludeRegExp});
    group(chkExclude, {txtExclude, chkExcludeCase, chkExcludeRegExp});
}

void frmLoad::fillControls() {
    bOkPressed = false;
    const SettingsValues& s = settings_;
    chkRemoveWhitespaces->setChecked(on(s.Load_RemoveWhitespaces));
    chkCaseSensitive->setChecked(on(s.Load_CaseSensitive));
    chkLoad_IgnoreEmptyLines->setChecked(on(s.Load_IgnoreEmptyLines));
    txtStartPos->setText(QString::number(s.Load_StartPos));
    txtStartAfterStr->setText(qs(s.Load_StartAfterStr));
    txtIncludeNumChars->setText(QString::number(s.Load_IncludeNumChars));
    txtIncludeUntilStr->setText(qs(s.Load_IncludeUntilStr));
    txtProcessFilter->setText(qs(s.Load_TxtProcessFilter));
    chkProcessCase->setChecked(on(s.Load_ChkProcessCase));
    chkProcessRegExp->setChecked(on(s.Load_ChkProcessRegExp));
    txtInclude->setText(qs(s.Load_txtInclude));
    chkIncludeCase->setChecked(on(s.Load_chkIncludeCase));
    chkIncludeRegExp->setChecked(on(s.Load_chkIncludeRegExp));
    txtExclude->setText(qs(s.Load_txtExclude));
    chkExcludeCase->setChecked(on(s.Load_chkExcludeCase));
    chkExcludeRegExp->setChecked(on(s.Load_chkExcludeRegExp));

    // The stored pairs may both be on (an edited store); the one set later
    // wins, as it would have in the dialog.
    QCheckBox* boxes[] = {chkStartPos, chkStartAfterStr, chkIncludeNumChars, chkIncludeUntilStr,
                          chkAdvancedFilter, chkInclude, chkExclude};
    const std::int16_t values[] = {s.Load_ChkStartPos,       s.Load_ChkStartAfterStr, s.Load_ChkIncludeNumChars,
                                   s.Load_ChkIncludeUntilStr, s.Load_ChkAdvancedFilter, s.Load_chkInclude,
                                   s.Load_chkExclude};
    for (std::size_t i = 0; i < std::size(boxes); ++i) {
        boxes[i]->setChecked(on(values[i]));
        // toggled only fires on a change; the enabled states must match the
        // value either way.
        emit boxes[i]->toggled(boxes[i]->isChecked());
    }

    if (!run_.sLoadWindow_ExcelFileName.empty()) {
        prepareWorkbook();
    } else {
        for (QWidget* w : std::initializer_list<QWidget*>{cmbExcelWorksheet, cmbExcelColumn, lblExcelWorksheet,
                                                          lblExcelColumn, lblExcelInfo})
            w->setEnabled(false);
    }

    const int tab = std::clamp<int>(run_.iLoadTab, 1, TabStrip->count());
    TabStrip->setCurrentIndex(tab - 1);
    TabStrip_Click();
}

void frmLoad::prepareWorkbook() {
    QApplication::setOverrideCursor(Qt::BusyCursor);
    bool ok = false;
    if (office_) {
        office_->ExcelClose();
        ok = office_->ExcelOpen(run_.sLoadWindow_ExcelFileName) && office_->iExcelSheetCount > 0;
        // The adapter keeps the worksheet list and column ranges after it
        // closes; the Open command opens the workbook again to read it.
        office_->ExcelClose();
    }
    if (ok) {
        workbook_ = true;
        const QSignalBlocker quiet(cmbExcelWorksheet);
        for (std::size_t i = 0; i < office_->sExcelSheetName.size(); ++i) {
            cmbExcelWorksheet->addItem(qs(office_->sExcelSheetName[i]));
            firstColumn_.push_back(i < office_->lExcelFirstColumn.size() ? office_->lExcelFirstColumn[i] : 1);
        }
    }
    QApplication::restoreOverrideCursor();
    if (!ok) {
        boxes_.messageBox(msgid::kLoadExcelError, "Error initializing Excel...", MsgIcon::Error, MsgButtons::Ok);
        cmdOk->setEnabled(false);
        return;
    }
    cmbExcelWorksheet->setCurrentIndex(0);
    cmbExcelWorksheet_Click();
    const int sheet = settings_.Load_ExcelWorksheet;
    if (sheet >= 1 && sheet <= cmbExcelWorksheet->count()) {
        cmbExcelWorksheet->setCurrentIndex(sheet - 1); // fills the columns
        const int column = cmbExcelColumn->findText(qs(settings_.Load_ExcelColumnName), Qt::MatchExactly);
        if (column >= 0) cmbExcelColumn->setCurrentIndex(column);
    }
}

void frmLoad::cmbExcelWorksheet_Click() {
    cmbExcelColumn->clear();
    const int sheet = cmbExcelWorksheet->currentIndex();
    if (!office_ || sheet < 0 || static_cast<std::size_t>(sheet) >= office_->lExcelFirstColumn.size() ||
        static_cast<std::size_t>(sheet) >= office_->lExcelLastColumn.size())
        return;
    const std::int32_t first = office_->lExcelFirstColumn[static_cast<std::size_t>(sheet)];
    const std::int32_t last = office_->lExcelLastColumn[static_cast<std::size_t>(sheet)];
    for (std::int32_t c = first; c <= last; ++c) cmbExcelColumn->addItem(qs(modOffice::ExcelColumnName(c)));
    if (cmbExcelColumn->count() > 0) cmbExcelColumn->setCurrentIndex(0);
}

void frmLoad::TabStrip_Click() {
    const int tab = TabStrip->currentIndex();
    FrameOptions->setVisible(tab == 0);
    FrameExcel->setVisible(tab == 0);
    FrameInclude->setVisible(tab == 1);
    FramePreProcessing->setVisible(tab == 2);
}

bool frmLoad::refuse(QLineEdit* field, int tab, const std::string& text, std::string_view id) {
    boxes_.messageBox(id, text, MsgIcon::Warning, MsgButtons::Ok);
    TabStrip->setCurrentIndex(tab);
    field->setFocus();
    field->selectAll();
    return false;
}

void frmLoad::cmdOk_Click() {
    // Everything is checked before anything is stored, so a refusal leaves
    // every setting as it was.
    std::optional<std::int16_t> startPos = int16FromText(utf8(txtStartPos->text()));
    std::optional<std::int16_t> numChars = int16FromText(utf8(txtIncludeNumChars->text()));
    const std::string numberRule = "\" must be a whole number from -32768 to 32767.";
    if (!startPos) {
        refuse(txtStartPos, 2, "The number of \"Skip the first\"" + numberRule, msgid::kLoadBadNumber);
        return;
    }
    if (!numChars) {
        refuse(txtIncludeNumChars, 2, "The number of \"Include up to\"" + numberRule, msgid::kLoadBadNumber);
        return;
    }
    struct PatternField {
        QCheckBox* enabled;
        QLineEdit* text;
        QCheckBox* regExp;
        QCheckBox* caseSensitive;
        const char* name;
        int tab;
    };
    const PatternField patterns[] = {
        {chkInclude, txtInclude, chkIncludeRegExp, chkIncludeCase, "Include only lines containing:", 1},
        {chkExclude, txtExclude, chkExcludeRegExp, chkExcludeCase, "Exlude lines containing:", 1},
        {chkAdvancedFilter, txtProcessFilter, chkProcessRegExp, chkProcessCase, "Advanced filter:", 2},
    };
    for (const PatternField& p : patterns) {
        if (!p.enabled->isChecked()) continue;
        const std::string error =
            PatternError(utf8(p.text->text()), p.regExp->isChecked(), p.caseSensitive->isChecked(), Codec::Utf8);
        if (!error.empty()) {
            refuse(p.text, p.tab,
                   std::string("The pattern of \"") + p.name + "\" is not valid:\r\n\r\n" + error,
                   msgid::kLoadBadPattern);
            return;
        }
    }

    SettingsValues& s = settings_;
    s.Load_RemoveWhitespaces = value(chkRemoveWhitespaces);
    s.Load_CaseSensitive = value(chkCaseSensitive);
    s.Load_IgnoreEmptyLines = value(chkLoad_IgnoreEmptyLines);
    s.Load_ChkStartPos = value(chkStartPos);
    s.Load_StartPos = *startPos;
    s.Load_ChkStartAfterStr = value(chkStartAfterStr);
    s.Load_StartAfterStr = utf8(txtStartAfterStr->text());
    s.Load_ChkIncludeNumChars = value(chkIncludeNumChars);
    s.Load_IncludeNumChars = *numChars;
    s.Load_ChkIncludeUntilStr = value(chkIncludeUntilStr);
    s.Load_IncludeUntilStr = utf8(txtIncludeUntilStr->text());
    s.Load_ChkAdvancedFilter = value(chkAdvancedFilter);
    s.Load_TxtProcessFilter = utf8(txtProcessFilter->text());
    s.Load_ChkProcessCase = value(chkProcessCase);
    s.Load_ChkProcessRegExp = value(chkProcessRegExp);
    s.Load_chkInclude = value(chkInclude);
    s.Load_txtInclude = utf8(txtInclude->text());
    s.Load_chkIncludeCase = value(chkIncludeCase);
    s.Load_chkIncludeRegExp = value(chkIncludeRegExp);
    s.Load_chkExclude = value(chkExclude);
    s.Load_txtExclude = utf8(txtExclude->text());
    s.Load_chkExcludeCase = value(chkExcludeCase);
    s.Load_chkExcludeRegExp = value(chkExcludeRegExp);
    if (workbook_) {
        const int sheet = cmbExcelWorksheet->currentIndex();
        const int column = cmbExcelColumn->currentIndex();
        if (sheet >= 0 && column >= 0) {
            s.Load_ExcelWorksheet = static_cast<std::int16_t>(sheet + 1);
            s.Load_ExcelColumn = static_cast<std::int16_t>(column + firstColumn_[static_cast<std::size_t>(sheet)]);
            s.Load_ExcelColumnName = utf8(cmbExcelColumn->currentText());
        }
    }
    bOkPressed = true;
    finish(true);
}

void frmLoad::cmdCancel_Click() {
    bOkPressed = false;
    finish(false);
}

void frmLoad::finish(bool ok) {
    if (closed_) return;
    closed_ = true;
    if (!bOkPressed) run_.bLoadSaveWindow_Cancel = true;
    run_.iLoadTab = static_cast<std::int16_t>(TabStrip->currentIndex() + 1);
    QDialog::done(ok ? QDialog::Accepted : QDialog::Rejected);
}

void frmLoad::reject() { cmdCancel_Click(); }

void frmLoad::closeEvent(QCloseEvent* e) {
    // The close box counts as Cancel.
    finish(false);
    e->accept();
}

} // namespace twinsift
