#include "app/ui/frm_main.h"

#include "app/ui/main_window_host.h"
#include "app/ui/pictures.h"
#include "app/ui/result_models.h"
#include "scan/document.h"
#include "scan/results_view.h"
#include "settings/settings_values.h"
#include "widgets/widget_geometry.h"

#include <QApplication>
#include <QCloseEvent>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QMenu>
#include <QMimeData>
#include <QDropEvent>
#include <QItemSelectionModel>
#include <QMouseEvent>
#include <QShowEvent>
#include <QStatusBar>
#include <QStyle>
#include <QTimer>
#include <QToolButton>
#include <QTableView>
#include <algorithm>
#include <initializer_list>
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

AppCommand buttonCommand(CmdButton b) {
    switch (b) {
    case CmdButton::Scan: return AppCommand::Open;
    case CmdButton::Save: return AppCommand::SaveAs;
    case CmdButton::Select: return AppCommand::Select;
    case CmdButton::ShowCopySave: return AppCommand::Tools;
    case CmdButton::Settings: return AppCommand::Settings;
    case CmdButton::About: return AppCommand::About;
    case CmdButton::Stop: return AppCommand::Stop;
    }
    return AppCommand::Open;
}

QToolButton* makeButton(QWidget* parent, const char* name, const QString& caption, CmdButton which,
                        const QString& tip, QRect geometry) {
    auto* b = new QToolButton(parent);
    b->setObjectName(QString::fromLatin1(name));
    b->setText(caption);
    b->setIcon(pictures::buttonPicture(which));
    b->setIconSize(QSize(32, 32));
    b->setToolButtonStyle(Qt::ToolButtonTextUnderIcon);
    b->setToolTip(tip);
    b->setFocusPolicy(Qt::StrongFocus);
    b->setGeometry(geometry);
    return b;
}

QTableView* makeListView(QWidget* parent, const char* name, QAbstractItemModel* model) {
    // A table of one column: it keeps no record per row beyond its row
    // heights, all one size, so a million rows cost it next to nothing. (A
    // tree view lays out every row again whenever rows are added.)
    auto* view = new QTableView(parent);
    view->setObjectName(QString::fromLatin1(name));
    model->setParent(view);
    view->setModel(model);
    view->setShowGrid(false);
    view->setWordWrap(false);
    view->setTabKeyNavigation(false);
    view->setCornerButtonEnabled(false);
    QHeaderView* rows = view->verticalHeader();
    rows->hide();
    rows->setSectionResizeMode(QHeaderView::Fixed);
    rows->setMinimumSectionSize(1);
    rows->setDefaultSectionSize(view->fontMetrics().height() + 3);
    QHeaderView* columns = view->horizontalHeader();
    columns->setStretchLastSection(false);
    columns->setHighlightSections(false);
    columns->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    return view;
}

} // namespace

int frmMain::twipsToPixels(int twips) { return px(twips); }

QSize frmMain::minimumClientSize() { return QSize(px(5820), px(5760)); }

frmMain::frmMain(SettingsValues& settings, const AppIdentity& app, const LoadedDocument& document,
                 const ResultsView& results, QWidget* parent)
    : QMainWindow(parent), settings_(settings), app_(app), document_(document), results_(results) {
    setObjectName(QStringLiteral("frmMain"));
    setWindowTitle(qs(app_.sAppName));
    setWindowIcon(pictures::programIcon());
    createControls();
    createSelectMenu();

    // Until a document is loaded only Open, Settings and About make sense.
    cmdSave->setEnabled(false);
    cmdSelect->setEnabled(false);
    cmdShowCopySave->setEnabled(false);

    placeFromSettings();
    createProgressBar();
    createSplitter();
    layoutControls();

    // The window sees every key before the control that has the focus.
    qApp->installEventFilter(this);
}

frmMain::~frmMain() {
    qApp->removeEventFilter(this);
    // The splitter and the bar point at child widgets; let go of them before
    // the children are destroyed.
    oSplitter.onPanelsLaid = nullptr;
    oProgress.setDrawObject(nullptr);
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

void frmMain::command(AppCommand cmd) {
    if (host_) host_->onCommand(cmd);
}

void frmMain::createSelectMenu() {
    mnuSelect = new QMenu(this);
    mnuSelect->setObjectName(QStringLiteral("mnuSelect"));
    mnuSelect->setAccessibleName(QStringLiteral("mnuSelect"));
    struct Item {
        const char* name;
        const char* caption;
        int key; // Ctrl+F<key>
    };
    // A zero name is a separator. The window's key handler runs the keys, so
    // they work while the menu is closed.
    const Item items[] = {
        {"mnuSelAll", "All", 1},
        {"mnuUnsel", "None", 2},
        {nullptr, nullptr, 0},
        {"mnuInvert", "Invert", 3},
        {nullptr, nullptr, 0},
        {"mnuSelAllButFirst", "All but first duplicate", 4},
        {"mnuSelAllButLast", "All but last duplicate", 5},
        {nullptr, nullptr, 0},
        {"mnuSelAllButFirstNN", "All but first x duplicates", 6},
        {"mnuSelAllButLastNN", "All but last x duplicates", 7},
        {nullptr, nullptr, 0},
        {"mnuSelAllOfCurrent", "All of currently marked kind", 8},
        {"mnuSelNoneOfCurrent", "None of currently marked kind", 9},
    };
    for (const Item& item : items) {
        if (!item.name) {
            mnuSelect->addSeparator();
            continue;
        }
        QAction* a = mnuSelect->addAction(QString::fromLatin1(item.caption));
        a->setObjectName(QString::fromLatin1(item.name));
        // The key shows beside the caption; bound to the menu alone, it never
        // takes the key from the window while the menu is closed.
        a->setShortcut(QKeySequence(Qt::CTRL | static_cast<Qt::Key>(Qt::Key_F1 + item.key - 1)));
        a->setShortcutContext(Qt::WidgetShortcut);
        a->setData(item.key);
    }
}

std::optional<AppCommand> frmMain::popupSelectMenu() {
    const QPoint local(cmdSelect->x() + cmdSelect->width() + 1, cmdSelect->y());
    const QPoint global = cmdSelect->parentWidget()->mapToGlobal(local);
    // An item can also be triggered without a click (a screen reader's
    // action); the menu closes on it like on a click.
    QAction* triggered = nullptr;
    const QMetaObject::Connection onTrigger = connect(mnuSelect, &QMenu::triggered, this, [this, &triggered](QAction* a) {
        triggered = a;
        if (mnuSelect->isVisible()) mnuSelect->close();
    });
    QAction* chosen = menuRunner_ ? menuRunner_(*mnuSelect, global) : mnuSelect->exec(global);
    disconnect(onTrigger);
    if (!chosen) chosen = triggered;
    RefreshButtonBar();
    if (!chosen || !chosen->data().isValid()) return std::nullopt;
    return selectionKeyCommand(chosen->data().toInt());
}

void frmMain::createControls() {
    auto* client = new QWidget(this);
    client->setObjectName(QStringLiteral("client"));
    setCentralWidget(client);

    cmdScan = makeButton(client, "cmdScan", QStringLiteral("Open"), CmdButton::Scan,
                         QStringLiteral("Open a text file, Word document or Excel spradsheet and scan for duplicates "
                                        "lines/rows."),
                         twipsRect(120, 120, 855, 805));
    cmdSave = makeButton(client, "cmdSave", QStringLiteral("Save As"), CmdButton::Save,
                         QStringLiteral("Save the open file without selected duplicates."),
                         twipsRect(120, 995, 855, 805));
    cmdSelect = makeButton(client, "cmdSelect", QStringLiteral("Select"), CmdButton::Select,
                           QStringLiteral("Select duplicates in various vays. Selected duplicates will not be "
                                          "included when you save the file."),
                           twipsRect(120, 1860, 855, 805));
    cmdShowCopySave = makeButton(client, "cmdShowCopySave", QStringLiteral("Tools"), CmdButton::ShowCopySave,
                                 QStringLiteral("Opens a window with useful tools."), twipsRect(120, 2970, 855, 805));
    cmdSettings = makeButton(client, "cmdSettings", QStringLiteral("Settings"), CmdButton::Settings,
                             QStringLiteral("Open the options window."), twipsRect(120, 3840, 855, 805));
    cmdAbout = makeButton(client, "cmdAbout", QStringLiteral("About"), CmdButton::About,
                          QStringLiteral("Displays information about Twinsift."), twipsRect(120, 4710, 855, 805));
    // Cancel lies on top of Open and takes its place while a long command runs.
    cmdStop = makeButton(client, "cmdStop", QStringLiteral("Cancel"), CmdButton::Stop,
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
    lwDupsModel->onUserCheck = [this](std::int32_t row) {
        if (host_) host_->onDupRowChecked(row);
    };
    for (QTableView* view : {lwShow, lwDups}) {
        view->setSelectionMode(QAbstractItemView::SingleSelection);
        view->setSelectionBehavior(QAbstractItemView::SelectRows);
        view->setEditTriggers(QAbstractItemView::NoEditTriggers);
        // The menus open on the release of the right button, by the rules of
        // lwDups_MouseUp and lwShow_MouseUp, never on their own.
        view->setContextMenuPolicy(Qt::PreventContextMenu);
        view->viewport()->installEventFilter(this);
    }
    connect(lwDups, &QTableView::clicked, this, [this](const QModelIndex&) { lwDups_Click(); });
    connect(lwShow, &QTableView::clicked, this, [this](const QModelIndex& i) {
        if (i.isValid()) lwShow_ItemClick(i.row());
    });
    lwShow->setAcceptDrops(true);
    lwShow->viewport()->setAcceptDrops(true);

    mnuPopupDups = new QMenu(this);
    mnuPopupDups->setObjectName(QStringLiteral("mnuPopupDups"));
    mnuCopyDups = mnuPopupDups->addAction(QStringLiteral("Copy to clipboard"));
    mnuCopyDups->setObjectName(QStringLiteral("mnuCopyDups"));
    mnuPopupSource = new QMenu(this);
    mnuPopupSource->setObjectName(QStringLiteral("mnuPopupSource"));
    mnuCopySource = mnuPopupSource->addAction(QStringLiteral("Copy to clipboard"));
    mnuCopySource->setObjectName(QStringLiteral("mnuCopySource"));
    connect(mnuCopyDups, &QAction::triggered, this, [this] { command(AppCommand::CopyDups); });
    connect(mnuCopySource, &QAction::triggered, this, [this] { command(AppCommand::CopySource); });
    for (QMenu* menu : {mnuPopupDups, mnuPopupSource}) {
        menu->setAccessibleName(menu->objectName());
        connect(menu, &QMenu::aboutToHide, this, [this] { QTimer::singleShot(0, this, [this] { RefreshButtonBar(); }); });
    }

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
    // A screen reader says a panel's text (its accessible name follows the
    // text) and tells which panel it is by the key in its description.
    for (QLabel* p : {panelStatus_, panelSelected_, panelLine_}) p->setAccessibleDescription(p->objectName());
    // A long status text (a path, the maker's address) is cut at the window's
    // edge; it must never make the window wider than the user wants it.
    panelStatus_->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);

    StatusBar->addWidget(panelStatus_, 1);
    StatusBar->addWidget(panelSelected_, 0);
    StatusBar->addWidget(panelLine_, 0);
    setStatusBar(StatusBar);

    // Screen readers announce each control by its caption, or by its design
    // name where it has none.
    for (QToolButton* b : {cmdScan, cmdSave, cmdSelect, cmdShowCopySave, cmdSettings, cmdAbout, cmdStop})
        b->setAccessibleName(b->text());
    for (QLabel* l : {lblSource, lblShowQuickstartHelp, lblDups}) l->setAccessibleName(l->text());
    for (QWidget* w : std::initializer_list<QWidget*>{picProgressbar, picSplit, lwShow, lwDups, imgDragbar, StatusBar})
        w->setAccessibleName(w->objectName());

    for (QToolButton* b : {cmdScan, cmdSave, cmdSelect, cmdShowCopySave, cmdSettings, cmdAbout, cmdStop}) {
        const CmdButton which = b == cmdScan ? CmdButton::Scan
                                : b == cmdSave ? CmdButton::Save
                                : b == cmdSelect ? CmdButton::Select
                                : b == cmdShowCopySave ? CmdButton::ShowCopySave
                                : b == cmdSettings ? CmdButton::Settings
                                : b == cmdAbout ? CmdButton::About
                                                : CmdButton::Stop;
        connect(b, &QToolButton::clicked, this, [this, which] { command(buttonCommand(which)); });
    }
    lblShowQuickstartHelp->installEventFilter(this);
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

    for (QTableView* view : {lwShow, lwDups}) {
        const int columnW = tw(view->width()) - 320;
        if (columnW >= 0) view->horizontalHeader()->resizeSection(0, px(columnW));
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
    // The first activation normally follows the first show; where the
    // platform never activates the window (no window manager, offscreen) it
    // still runs once the window is up.
    if (bFirstActivation && !firstActivationQueued_) {
        firstActivationQueued_ = true;
        QTimer::singleShot(0, this, [this] {
            if (bFirstActivation) FirstActivation();
        });
    }
}

void frmMain::changeEvent(QEvent* event) {
    QMainWindow::changeEvent(event);
    if (event->type() == QEvent::ActivationChange && isActiveWindow()) {
        if (bFirstActivation) FirstActivation();
        RefreshButtonBar();
    }
}

void frmMain::FirstActivation() {
    bFirstActivation = false;
    setWindowTitle(qs(app_.nameAndVersion()) + QStringLiteral(" - Press F1 for Help"));
    setPanelText(QStringLiteral("status"),
                 qs(app_.nameAndVersion()) + QStringLiteral(" by Quorvane - ") + qs(AppIdentity::kMakerWebAddress));
    // Debug mode lets the window shrink below the size the layout needs.
    if (!app_.bDebugMode) setMinimumSize(minimumClientSize());
    if (settings_.bShowQuickstartWindow) command(AppCommand::Quickstart);
    if (settings_.bShowQuickstartLink) {
        lblShowQuickstartHelp->show();
        layoutControls();
    }
    if (host_) host_->onFirstActivationDone();
}

void frmMain::closeEvent(QCloseEvent* event) {
    const std::int16_t state = isMinimized() ? 1 : isMaximized() ? 2 : 0;
    const QRect frame = frameGeometry();
    if (host_ && !host_->onCloseRequest(state, double(tw(frame.x())), double(tw(frame.y())))) {
        event->ignore();
        return;
    }
    event->accept();
}

bool frmMain::handleKey(QKeyEvent* key) {
    const Qt::KeyboardModifiers mods = key->modifiers() & (Qt::ShiftModifier | Qt::ControlModifier | Qt::AltModifier);
    const int k = key->key();
    if (k < Qt::Key_F1 || k > Qt::Key_F9) return false;
    if (k == Qt::Key_F1 && mods == Qt::NoModifier) {
        command(AppCommand::Help);
        return true;
    }
    if (mods == Qt::ControlModifier && lwDupsModel->rowCount() > 0) {
        command(selectionKeyCommand(k - Qt::Key_F1 + 1));
        return true;
    }
    return false;
}

namespace {

bool isUserInput(QEvent::Type type) {
    switch (type) {
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonRelease:
    case QEvent::MouseButtonDblClick:
    case QEvent::KeyPress:
    case QEvent::KeyRelease:
    case QEvent::ShortcutOverride:
    case QEvent::Wheel:
    case QEvent::DragEnter:
    case QEvent::DragMove:
    case QEvent::Drop:
    case QEvent::Close:
        return true;
    default:
        return false;
    }
}

} // namespace

bool frmMain::eventFilter(QObject* watched, QEvent* event) {
    if (inputBlocked_ && isUserInput(event->type())) {
        auto* w = qobject_cast<QWidget*>(watched);
        if (w && w->window() == this) {
            event->ignore();
            return true;
        }
    }
    if (lwShow && watched == lwShow->viewport()) {
        switch (event->type()) {
        case QEvent::DragEnter:
        case QEvent::DragMove:
        case QEvent::Drop:
            return lwShow_OLEDragDrop(event);
        case QEvent::MouseButtonRelease:
            lwShow_MouseUp(static_cast<QMouseEvent*>(event));
            break;
        default:
            break;
        }
    }
    if (lwDups && watched == lwDups->viewport() && event->type() == QEvent::MouseButtonRelease)
        lwDups_MouseUp(static_cast<QMouseEvent*>(event));
    if (event->type() == QEvent::KeyPress) {
        auto* w = qobject_cast<QWidget*>(watched);
        if (w && w->window() == this && w->isEnabled() && handleKey(static_cast<QKeyEvent*>(event))) return true;
        return false;
    }
    if (watched == lblShowQuickstartHelp && event->type() == QEvent::MouseButtonRelease &&
        static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton) {
        command(AppCommand::Quickstart);
        return true;
    }
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

QString frmMain::highlightedRowText(const QTableView* view) const {
    const QModelIndex current = view->currentIndex();
    if (!current.isValid() || !view->selectionModel()->isSelected(current)) return {};
    return view->model()->data(current, Qt::DisplayRole).toString();
}

void frmMain::highlightRow(QTableView* view, int row) {
    const QModelIndex i = view->model()->index(row, 0);
    if (!i.isValid()) return;
    view->selectionModel()->setCurrentIndex(i, QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
    view->scrollTo(i, QAbstractItemView::EnsureVisible);
}

void frmMain::lwDups_Click() {
    if (document_.bNoDisplay || lwDupsModel->rowCount() == 0) return;
    const QModelIndex current = lwDups->currentIndex();
    if (!current.isValid()) return;
    // The line number is the one between the brackets of the row's text.
    const QString text = lwDupsModel->data(current, Qt::DisplayRole).toString();
    const qsizetype close = text.indexOf(QLatin1Char(']'));
    if (close < 2) return;
    bool ok = false;
    const int n = text.mid(1, close - 1).toInt(&ok);
    if (!ok) return;
    highlightRow(lwShow, n - 1);
    setPanelText(QStringLiteral("line"), QStringLiteral("Line %1").arg(n));
}

void frmMain::lwShow_ItemClick(int row) {
    if (document_.bNoDisplay) return;
    const int n = row + 1;
    setPanelText(QStringLiteral("line"), QStringLiteral("Line %1").arg(n));
    // Lines without a group colour have no duplicate row to go to.
    if (!lwShowModel->data(lwShowModel->index(row, 0), Qt::ForegroundRole).isValid()) return;
    const auto& rows = results_.dupRows;
    for (std::size_t r = 0; r < rows.size() && static_cast<int>(r) < lwDupsModel->rowCount(); ++r) {
        if (rows[r].line == n) {
            highlightRow(lwDups, static_cast<int>(r));
            return;
        }
    }
}

void frmMain::lwDups_MouseUp(QMouseEvent* e) {
    if (e->button() != Qt::RightButton || (host_ && host_->commandRunning()) || document_.bNoDisplay ||
        lwDupsModel->rowCount() == 0)
        return;
    mnuPopupDups->popup(e->globalPosition().toPoint());
}

void frmMain::lwShow_MouseUp(QMouseEvent* e) {
    if (e->button() != Qt::RightButton || (host_ && host_->commandRunning()) || document_.bNoDisplay ||
        lwShowModel->rowCount() == 0)
        return;
    mnuPopupSource->popup(e->globalPosition().toPoint());
}

bool frmMain::lwShow_OLEDragDrop(QEvent* event) {
    auto* drop = static_cast<QDropEvent*>(event);
    const QMimeData* data = drop->mimeData();
    std::vector<std::string> paths;
    if (data && data->hasUrls()) {
        for (const QUrl& url : data->urls())
            if (url.isLocalFile()) paths.push_back(url.toLocalFile().toUtf8().toStdString());
    }
    // Only a list of files is taken; text and the like are not.
    if (paths.empty()) {
        drop->ignore();
        return true;
    }
    drop->acceptProposedAction();
    if (event->type() == QEvent::Drop && host_) host_->onFilesDropped(std::move(paths));
    return true;
}

void frmMain::RefreshButtonBar() {
    for (QToolButton* b : {cmdAbout, cmdSave, cmdScan, cmdSettings, cmdShowCopySave, cmdStop}) b->repaint();
}

void frmMain::setPanelText(const QString& key, const QString& text) {
    QLabel* p = key == QLatin1String("status")     ? panelStatus_
                : key == QLatin1String("selected") ? panelSelected_
                : key == QLatin1String("line")     ? panelLine_
                                                   : nullptr;
    if (!p) return;
    p->setText(text);
}

QString frmMain::panelText(const QString& key) const {
    QLabel* p = key == QLatin1String("status")     ? panelStatus_
                : key == QLatin1String("selected") ? panelSelected_
                : key == QLatin1String("line")     ? panelLine_
                                                   : nullptr;
    return p ? p->text() : QString();
}

} // namespace twinsift
