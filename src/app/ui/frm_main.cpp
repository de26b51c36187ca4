#include "app/ui/frm_main.h"

#include "app/app_info.h"
#include "app/ui/qt_command_port.h"
#include "app/ui/result_models.h"
#include "office/office_line_source.h"
#include "scan/document.h"
#include "scan/patterns.h"
#include "scan/scan_driver.h"
#include "settings/persistence.h"
#include "settings/settings_values.h"
#include "widgets/widget_geometry.h"

#include <QCloseEvent>
#include <QHeaderView>
#include <QLabel>
#include <QMouseEvent>
#include <QShowEvent>
#include <QStatusBar>
#include <QStyle>
#include <QTimer>
#include <QToolButton>
#include <QTreeView>
#include <algorithm>
#include <limits>
#include <optional>

namespace twinsift {

namespace {

QString qs(std::string_view s) { return QString::fromUtf8(s.data(), static_cast<qsizetype>(s.size())); }

constexpr int kTwipsPerPixel = 15;

// Pixels from twips, and back, of a distance that may be negative.
int px(int twips) { return roundToEven(static_cast<double>(twips) / kTwipsPerPixel); }
int tw(int pixels) { return pixels * kTwipsPerPixel; }

QRect twipsRect(int left, int top, int width, int height) { return QRect(px(left), px(top), px(width), px(height)); }

std::optional<std::int16_t> toInt16(int twips) {
    if (twips < std::numeric_limits<std::int16_t>::min() || twips > std::numeric_limits<std::int16_t>::max())
        return std::nullopt;
    return static_cast<std::int16_t>(twips);
}

QToolButton* makeButton(QWidget* parent, const char* name, const QString& caption, QStyle::StandardPixmap icon,
                        const QString& tip, QRect geometry) {
    auto* b = new QToolButton(parent);
    b->setObjectName(QString::fromLatin1(name));
    b->setText(caption);
    b->setIcon(parent->style()->standardIcon(icon));
    b->setIconSize(QSize(32, 32));
    b->setToolButtonStyle(Qt::ToolButtonTextUnderIcon);
    b->setToolTip(tip);
    b->setFocusPolicy(Qt::StrongFocus);
    b->setGeometry(geometry);
    return b;
}

QTreeView* makeListView(QWidget* parent, const char* name, QAbstractItemModel* model) {
    auto* view = new QTreeView(parent);
    view->setObjectName(QString::fromLatin1(name));
    model->setParent(view);
    view->setModel(model);
    view->setRootIsDecorated(false);
    view->setUniformRowHeights(true);
    view->setItemsExpandable(false);
    view->header()->setStretchLastSection(false);
    return view;
}

} // namespace

int frmMain::twipsToPixels(int twips) { return px(twips); }

frmMain::frmMain(SettingsValues& settings, LoadedDocument& document, RunState& run,
                 SettingsPersistence* persistence, QWidget* parent)
    : QMainWindow(parent), settings_(settings), document_(document), run_(run), persistence_(persistence) {
    setWindowTitle(qs(sAppName) + QLatin1Char(' ') + qs(sAppVersion));
    createControls();

    // Until a document is loaded only Open, Settings and About make sense.
    cmdSave->setEnabled(false);
    cmdSelect->setEnabled(false);
    cmdShowCopySave->setEnabled(false);

    if (persistence_) {
        persistence_->DetectPortableMode();
        persistence_->LoadSettings(settings_);
    }
    port_ = std::make_unique<QtCommandPort>(*this, *lwShowModel, *lwDupsModel);
    scan_ = std::make_unique<ScanDriver>(document_, settings_, run_, *port_, results_);
    scan_->setRegExpAvailable(InitRegExp());
    // A click that arrives while a command pumps events must not start a
    // second one under it.
    connect(cmdScan, &QToolButton::clicked, this, [this] {
        if (!run_.bBusy) scan_->cmdScan_Click();
    });
    // Cancel only raises the flag; the running command polls it.
    connect(cmdStop, &QToolButton::clicked, this, [this] { ScanDriver::cmdStop_Click(run_); });

    placeFromSettings();
    createProgressBar();
    createSplitter();
    layoutControls();
}

void frmMain::setOffice(modOffice& office, OfficeReaderSource& lines) {
    scan_->setOffice(makeOfficeSession(office, lines));
}

QToolButton* frmMain::button(CmdButton which) const {
    switch (which) {
    case CmdButton::Scan: return cmdScan;
    case CmdButton::Save: return cmdSave;
    case CmdButton::Select: return cmdSelect;
    case CmdButton::ShowCopySave: return cmdShowCopySave;
    case CmdButton::Settings: return cmdSettings;
    case CmdButton::About: return cmdAbout;
    case CmdButton::Stop: return cmdStop;
    }
    return nullptr;
}

frmMain::~frmMain() {
    // The splitter and the bar point at child widgets; let go of them before
    // the children are destroyed.
    oSplitter.onPanelsLaid = nullptr;
    oProgress.setDrawObject(nullptr);
}

void frmMain::createControls() {
    auto* client = new QWidget(this);
    client->setObjectName(QStringLiteral("client"));
    setCentralWidget(client);

    cmdScan = makeButton(client, "cmdScan", QStringLiteral("Open"), QStyle::SP_DialogOpenButton,
                         QStringLiteral("Open a text file, Word document or Excel spradsheet and scan for duplicates "
                                        "lines/rows."),
                         twipsRect(120, 120, 855, 805));
    cmdSave = makeButton(client, "cmdSave", QStringLiteral("Save As"), QStyle::SP_DialogSaveButton,
                         QStringLiteral("Save the open file without selected duplicates."),
                         twipsRect(120, 995, 855, 805));
    cmdSelect = makeButton(client, "cmdSelect", QStringLiteral("Select"), QStyle::SP_DialogApplyButton,
                           QStringLiteral("Select duplicates in various vays. Selected duplicates will not be "
                                          "included when you save the file."),
                           twipsRect(120, 1860, 855, 805));
    cmdShowCopySave = makeButton(client, "cmdShowCopySave", QStringLiteral("Tools"), QStyle::SP_FileDialogDetailedView,
                                 QStringLiteral("Opens a window with useful tools."), twipsRect(120, 2970, 855, 805));
    cmdSettings = makeButton(client, "cmdSettings", QStringLiteral("Settings"), QStyle::SP_FileDialogContentsView,
                             QStringLiteral("Open the options window."), twipsRect(120, 3840, 855, 805));
    cmdAbout = makeButton(client, "cmdAbout", QStringLiteral("About"), QStyle::SP_MessageBoxInformation,
                          QStringLiteral("Displays information about Twinsift."), twipsRect(120, 4710, 855, 805));
    // Cancel lies on top of Open and takes its place while a long command runs.
    cmdStop = makeButton(client, "cmdStop", QStringLiteral("Cancel"), QStyle::SP_BrowserStop,
                         QStringLiteral("Stop processing!"), twipsRect(120, 120, 855, 805));
    cmdStop->hide();
    cmdStop->raise();

    setTabOrder(cmdScan, cmdSave);
    setTabOrder(cmdSave, cmdSelect);
    setTabOrder(cmdSelect, cmdShowCopySave);
    setTabOrder(cmdShowCopySave, cmdSettings);
    setTabOrder(cmdSettings, cmdAbout);

    picProgressbar = new PaintSurface(client);
    picProgressbar->setObjectName(QStringLiteral("picProgressbar"));
    picProgressbar->setGeometry(twipsRect(120, 5820, 855, 615));

    lblSource = new QLabel(QStringLiteral("Source:"), client);
    lblSource->setObjectName(QStringLiteral("lblSource"));
    lblSource->setGeometry(twipsRect(1140, 120, 915, 255));

    lblShowQuickstartHelp = new QLabel(QStringLiteral("Show Quickstart Help Again"), client);
    lblShowQuickstartHelp->setObjectName(QStringLiteral("lblShowQuickstartHelp"));
    lblShowQuickstartHelp->setGeometry(twipsRect(3960, 75, 2400, 255));
    {
        QFont f = lblShowQuickstartHelp->font();
        f.setBold(true);
        f.setUnderline(true);
        lblShowQuickstartHelp->setFont(f);
        QPalette pal = lblShowQuickstartHelp->palette();
        pal.setColor(QPalette::WindowText, QColor(0, 0, 255));
        lblShowQuickstartHelp->setPalette(pal);
        lblShowQuickstartHelp->setCursor(Qt::PointingHandCursor);
    }
    // The first activation decides whether the link shows.
    lblShowQuickstartHelp->hide();

    picSplit = new QWidget(client);
    picSplit->setObjectName(QStringLiteral("picSplit"));
    picSplit->setGeometry(twipsRect(1125, 360, 5415, 5535));
    picSplit->setMouseTracking(true);
    picSplit->installEventFilter(this);

    lwShowModel = new ShowRowsModel(document_, results_, QStringLiteral("Lines"));
    lwDupsModel = new DupRowsModel(document_, results_, QStringLiteral("Duplicates"));
    lwShow = makeListView(picSplit, "lwShow", lwShowModel);
    lwDups = makeListView(picSplit, "lwDups", lwDupsModel);

    lblDups = new QLabel(QStringLiteral("Duplicates Found:"), picSplit);
    lblDups->setObjectName(QStringLiteral("lblDups"));
    lblDups->setGeometry(twipsRect(0, 2640, 1530, 255));

    imgDragbar = new QLabel(picSplit);
    imgDragbar->setObjectName(QStringLiteral("imgDragbar"));
    imgDragbar->setGeometry(twipsRect(2520, 2690, 360, 60));
    imgDragbar->setFrameStyle(QFrame::Panel | QFrame::Raised);
    imgDragbar->setLineWidth(1);
    imgDragbar->setMouseTracking(true);
    imgDragbar->installEventFilter(this);

    // The design's label widths fit its own font; never cut a caption short
    // where the desktop's font runs wider.
    for (QLabel* label : {lblSource, lblShowQuickstartHelp, lblDups})
        label->resize(std::max(label->width(), label->sizeHint().width()), label->height());

    StatusBar = new QStatusBar(this);
    StatusBar->setObjectName(QStringLiteral("StatusBar"));
    StatusBar->setFixedHeight(px(375));
    StatusBar->setSizeGripEnabled(false);
    panelStatus_ = new QLabel(StatusBar);
    panelSelected_ = new QLabel(StatusBar);
    panelLine_ = new QLabel(StatusBar);
    panelStatus_->setObjectName(QStringLiteral("status"));
    panelSelected_->setObjectName(QStringLiteral("selected"));
    panelLine_->setObjectName(QStringLiteral("line"));
    StatusBar->addWidget(panelStatus_, 1);
    StatusBar->addWidget(panelSelected_, 0);
    StatusBar->addWidget(panelLine_, 0);
    setStatusBar(StatusBar);
}

void frmMain::placeFromSettings() {
    // Qt places the client area; the remembered figures are the outer frame,
    // which is the same until the platform has added its decorations.
    setGeometry(px(settings_.winLeft), px(settings_.winTop), px(settings_.winWidth), px(settings_.winHeight));
    if (settings_.winState == 2)
        setWindowState(Qt::WindowMaximized);
    else if (settings_.winState == 1)
        setWindowState(Qt::WindowMinimized);
}

void frmMain::createProgressBar() {
    oProgress.setDrawObject(picProgressbar);
    oProgress.setBackColor(SystemColor(syscolor::kButtonFace));
    oProgress.setBarColor(SystemColor(syscolor::kHighlight));
    oProgress.setBorderStyle(0);
    picProgressbar->onPaint = [this] { oProgress.paintSurface(); };
}

void frmMain::createSplitter() {
    oSplitter.onPanelsLaid = [this] { placeBarDecorations(); };
    oSplitter.setOrientation(1);
    oSplitter.setContainer(picSplit);
    oSplitter.Bind(lwShow, lwDups);
    oSplitter.setSplitterSize(24);
    oSplitter.setMinimumSize(1, 22);
    oSplitter.setMinimumSize(2, 22);
    oSplitter.setFullDrag(true);
    oSplitter.setKeepProportion(true);
    oSplitter.Resize();
}

void frmMain::placeBarDecorations() {
    // The label sits in the bar just above the lower list, the grip below it.
    lblDups->move(lblDups->x(), px(tw(lwDups->y()) - 250));
    imgDragbar->move(imgDragbar->x(), px(tw(lblDups->y()) + 60));
}

void frmMain::layoutControls() {
    if (!picSplit) return;
    const int clientW = tw(width());
    const int clientH = tw(height());

    const int splitW = clientW - 1250;
    const int splitH = clientH - 830;
    if (splitW >= 0) picSplit->resize(px(splitW), picSplit->height());
    if (splitH >= 0) picSplit->resize(picSplit->width(), px(splitH));

    placeBarDecorations();
    imgDragbar->move(px(tw(picSplit->width()) / 2), imgDragbar->y());

    for (QTreeView* view : {lwShow, lwDups}) {
        const int columnW = tw(view->width()) - 320;
        if (columnW >= 0) view->header()->resizeSection(0, px(columnW));
    }

    const int progressH = clientH - tw(picProgressbar->y()) - 480;
    if (progressH >= 0) picProgressbar->resize(picProgressbar->width(), px(progressH));

    if (windowState() == Qt::WindowNoState && !bFirstActivation) {
        const QRect frame = frameGeometry();
        auto l = toInt16(tw(frame.x()));
        auto t = toInt16(tw(frame.y()));
        auto w = toInt16(tw(frame.width()));
        auto h = toInt16(tw(frame.height()));
        if (l && t && w && h) {
            settings_.winLeft = *l;
            settings_.winTop = *t;
            settings_.winWidth = *w;
            settings_.winHeight = *h;
        }
    }

    if (settings_.bShowQuickstartLink)
        lblShowQuickstartHelp->move(px(clientW - tw(lblShowQuickstartHelp->width()) - 120),
                                    lblShowQuickstartHelp->y());
}

void frmMain::resizeEvent(QResizeEvent* event) {
    QMainWindow::resizeEvent(event);
    layoutControls();
}

void frmMain::showEvent(QShowEvent* event) {
    QMainWindow::showEvent(event);
    // A file named on the command line opens once the window is up, so the
    // progress shows in it.
    if (!bStartupOpenDue_ || event->spontaneous()) return;
    bStartupOpenDue_ = false;
    if (run_.sStartupFile.empty()) return;
    QTimer::singleShot(0, this, [this] {
        if (!run_.bBusy) scan_->cmdScan_Click();
    });
}

void frmMain::closeEvent(QCloseEvent* event) {
    // A long command is still running inside a click handler; it must finish
    // or be cancelled before the window may go.
    if (run_.bBusy) {
        event->ignore();
        return;
    }
    // Shut-down work (closing Office sessions, writing the settings) goes
    // here, before the window is accepted.
    if (persistence_) {
        const std::int16_t state = isMinimized() ? 1 : isMaximized() ? 2 : 0;
        persistence_->SaveSettingsOnce(settings_, {state, double(tw(geometry().x())), double(tw(geometry().y()))});
    }
    event->accept();
}

bool frmMain::eventFilter(QObject* watched, QEvent* event) {
    if (watched == picSplit || watched == imgDragbar) {
        switch (event->type()) {
        case QEvent::MouseButtonPress:
        case QEvent::MouseButtonDblClick:
        case QEvent::MouseMove:
            oSplitter.mouseEvent(static_cast<QMouseEvent*>(event));
            return watched == imgDragbar;
        case QEvent::MouseButtonRelease:
            oSplitter.mouseEvent(static_cast<QMouseEvent*>(event));
            placeBarDecorations();
            return watched == imgDragbar;
        case QEvent::Resize:
            if (watched == picSplit) oSplitter.Resize();
            break;
        default:
            break;
        }
    }
    return QMainWindow::eventFilter(watched, event);
}

void frmMain::RefreshButtonBar() {
    for (QToolButton* b : {cmdAbout, cmdSave, cmdScan, cmdSettings, cmdShowCopySave, cmdStop}) b->repaint();
}

void frmMain::setPanelText(const QString& key, const QString& text) {
    if (QLabel* p = panel(key)) p->setText(text);
}

QString frmMain::panelText(const QString& key) const {
    QLabel* p = panel(key);
    return p ? p->text() : QString();
}

QLabel* frmMain::panel(const QString& key) const {
    if (key == QLatin1String("status")) return panelStatus_;
    if (key == QLatin1String("selected")) return panelSelected_;
    if (key == QLatin1String("line")) return panelLine_;
    return nullptr;
}

} // namespace twinsift
