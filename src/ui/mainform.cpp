// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Vorin developers
#include "ui/mainform.h"

#include "platform/hostport.h"
#include "platform/texts.h"
#include "ui/gridmodel.h"
#include "ui/qtext.h"
#include "ui/skin.h"

#include <QAction>
#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QCursor>
#include <QDesktopServices>
#include <QDialog>
#include <QDialogButtonBox>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMessageBox>
#include <QNetworkProxy>
#include <QPainter>
#include <QPainterPath>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QStyle>
#include <QTableView>
#include <QTimer>
#include <QVBoxLayout>
#include <QWebEngineHttpRequest>
#include <QWebEnginePage>
#include <QWebEngineProfile>
#include <QWebEngineSettings>
#include <QWebEngineView>
#include <QWindow>

namespace vorin {

// The title bar: a skinned panel that drags the window while the left button is held over it (its
// buttons are widgets of their own and never start a drag).
class TitlePanel final : public Timagepanle {
public:
    using Timagepanle::Timagepanle;

protected:
    void mouseMoveEvent(QMouseEvent* e) override
    {
        if ((e->buttons() & Qt::LeftButton) && window()->windowHandle())
            window()->windowHandle()->startSystemMove();
    }
    void mousePressEvent(QMouseEvent* e) override { mouseMoveEvent(e); }
};

MainForm::MainForm(Dispatcher& dispatcher, Clock& clock, Endpoints endpoints, QWidget* parent)
    : QWidget(parent, Qt::FramelessWindowHint | Qt::Window)
    , controller_(*this, dispatcher, clock, std::move(endpoints))
{
    setObjectName(QStringLiteral("frmvrdl"));
    setFont(QFont(QStringLiteral("Tahoma"), 8));
    setFixedSize(690, 505);
    move(200, 100);
    setAutoFillBackground(true);
    setBackgroundRole(QPalette::Button);
    controller_.applyproxyearly(); // before the browser pane exists
    buildLayout();
    buildMenus();
    // A fast validation run shows its verdicts and progress in batches, a few times a second.
    auto* progress = new QTimer(this);
    connect(progress, &QTimer::timeout, this, [this] {
        controller_.showprogress();
        controller_.guardtick();
    });
    progress->start(250);
}

MainForm::~MainForm()
{
    delete eweb_; // the view first, then its page, then the page's profile
    delete panePage_;
    delete paneProfile_;
}

Tvrpngbtn* MainForm::addButton(QWidget* parent, const char* name, QPoint place, const std::string& hint,
                               std::function<void()> click)
{
    auto* b = new Tvrpngbtn(parent);
    b->setObjectName(QString::fromLatin1(name));
    b->move(place);
    b->Setpicture(skin::picture(name));
    b->setToolTip(qs(hint));
    b->Onclick = [click = std::move(click)](Tvrpngbtn*) { click(); };
    return b;
}

Timagepanle* MainForm::addPanel(Timagepanle* panel, const char* name, QRect place, Timagepanle::Dock dock)
{
    panel->setObjectName(QString::fromLatin1(name));
    panel->setGeometry(place);
    panel->setAlign(dock);
    panel->Setpicture(skin::picture(name));
    return panel;
}

void MainForm::buildLayout()
{
    const Texts& t = texts();
    using Dock = Timagepanle::Dock;
    Tfrmvrdl& c = controller_;

    panTop_ = addPanel(new TitlePanel(this), "pan_top", {0, 0, 690, 41}, Dock::Top);
    panTop_->setCaption(qs(t.layoutTitle));
    addButton(panTop_, "vrpngbtn2", {618, 0}, {}, [&c] { c.frmminsizeExecute(); });
    addButton(panTop_, "vrpngbtn1", {644, 0}, {}, [&c] { c.frmcloseExecute(); });

    auto* toolbar = addPanel(new Timagepanle(this), "imagepanle4", {0, 41, 690, 42}, Dock::Top);
    auto* down =
        addButton(toolbar, "BTN_DOWNLIST", {16, 6}, t.hintDownload, [&c] { c.btndownproxyExecute(); });
    down->OnRigthClick = [&c](Tvrpngbtn*) { c.actdownExecute(); }; // as its hint promises: download only
    addButton(toolbar, "BTN_CHECK", {70, 6}, t.hintCheck, [&c] { c.btncheckproxyExecute(); });
    addButton(toolbar, "BTN_STOP", {116, 6}, t.hintStopCheck, [&c] { c.btnstopcheckExecute(); });
    addButton(toolbar, "BTN_STARTPROXY", {173, 6}, t.hintSetProxy, [&c] { c.btnsetproxyExecute(); });
    addButton(toolbar, "BTN_STOPPROXY", {232, 7}, t.hintStopProxy, [&c] { c.btnstopproxyExecute(); });
    addButton(toolbar, "BTN_SETUP", {283, 6}, t.hintSettings, [&c] { c.btnsoftsetExecute(); });
    addButton(toolbar, "BTN_SAVE", {349, 6}, t.hintSave, [&c] { c.btnsaveproxyExecute(); });
    addButton(toolbar, "BTN_VAIL", {400, 6}, t.hintWebCheck, [&c] { c.btnwebcheckExecute(); });
    addButton(toolbar, "BTN_ABOUT", {458, 6}, t.hintHome, [&c] { c.btngohomeExecute(); });
    btnMenu_ = addButton(toolbar, "btn_menu", {654, 26}, {}, [&c] { c.btnshowmenuExecute(); });

    sgrid_ = new QTableView(this);
    sgrid_->setObjectName(QStringLiteral("sgrid"));
    sgrid_->setGeometry(0, 83, 690, 237);
    sgrid_->setFrameShape(QFrame::NoFrame);
    sgrid_->setSelectionBehavior(QAbstractItemView::SelectRows);
    sgrid_->setSelectionMode(QAbstractItemView::SingleSelection);
    sgrid_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    sgrid_->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    sgrid_->setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    sgrid_->verticalHeader()->hide();
    sgrid_->verticalHeader()->setDefaultSectionSize(18);
    sgrid_->horizontalHeader()->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    sgrid_->horizontalHeader()->setFixedHeight(18);
    gridModel_ = new GridModel(controller_.grid(), this);
    sgrid_->setModel(gridModel_);
    auto applyWidths = [this] {
        for (int col = 0; col < gridModel_->columnCount(); ++col)
            sgrid_->setColumnWidth(col, controller_.grid().colWidth(col));
    };
    connect(gridModel_, &GridModel::headerDataChanged, this, applyWidths);
    applyWidths();
    connect(sgrid_->selectionModel(), &QItemSelectionModel::currentRowChanged, this,
            [this](const QModelIndex& current) {
                if (current.isValid())
                    controller_.grid().setSelectedRow(current.row() + 1);
            });
    connect(gridModel_, &QAbstractItemModel::modelReset, this, [this] {
        int row = controller_.grid().selectedRow();
        if (row >= 1)
            sgrid_->selectRow(row - 1);
    });

    auto* browserFrame = addPanel(new Timagepanle(this), "imagepanle3", {0, 320, 690, 155}, Dock::Bottom);
    browserFrame->setCaption(qs(t.panel3Caption));
    browserFrame_ = browserFrame; // the pane itself comes once the window is on screen (makePane)

    panBot_ = addPanel(new Timagepanle(this), "Pan_bot", {0, 475, 690, 30}, Dock::Bottom);
    panBot_->setCaption(qs(t.statusBarCaption));
    lbinfo_ = new QLabel(panBot_);
    lbinfo_->setObjectName(QStringLiteral("Lbinfo"));
    lbinfo_->move(406, 8);
    // A long status text (a harvest's tallies) ends before the info text instead of running under it; the
    // whole of it is the panel's tooltip.
    panBot_->setCaptionEnd(406 - 8);
    lbinfo_->setAttribute(Qt::WA_TranslucentBackground);
    QPalette infoPalette = lbinfo_->palette();
    infoPalette.setColor(QPalette::WindowText, QColor(0xff, 0x00, 0xff));
    lbinfo_->setPalette(infoPalette);
    setInfoText(t.infoCaption);
}

void MainForm::buildMenus()
{
    const Texts& t = texts();
    popsvr_ = new QMenu(this);
    popsvr_->setObjectName(QStringLiteral("popsvr"));
    const std::string* captions[] = {&t.mn01, &t.mn02, &t.mn03, &t.mn04};
    const char* names[] = {"mn01", "mn02", "mn03", "mn04"};
    for (int i = 0; i < kMenuEntries; ++i) {
        QAction* a = popsvr_->addAction(qs(*captions[i]));
        a->setObjectName(QString::fromLatin1(names[i]));
        a->setCheckable(true);
        auto entry = static_cast<MenuEntry>(i);
        // Qt flips the mark itself on a click; undo that so the controller's handler does the reversing.
        connect(a, &QAction::triggered, this, [this, a, entry](bool checked) {
            a->setChecked(!checked);
            controller_.mn01Click(entry);
        });
        sourceActions_[static_cast<std::size_t>(i)] = a;
    }

    popset_ = new QMenu(this);
    popset_->setObjectName(QStringLiteral("popset"));
    QAction* n4 = popset_->addAction(qs(t.menuGetCity));
    n4->setObjectName(QStringLiteral("N4"));
    QMenu* n2 = popset_->addMenu(qs(t.menuSort));
    n2->setObjectName(QStringLiteral("N2"));
    QAction* n5 = n2->addAction(qs(t.menuSortLocation));
    n5->setObjectName(QStringLiteral("N5"));
    QAction* n6 = n2->addAction(qs(t.menuSortSpeed));
    n6->setObjectName(QStringLiteral("N6"));
    QAction* n1 = popset_->addAction(qs(t.menuDelete));
    n1->setObjectName(QStringLiteral("N1"));
    QAction* n3 = popset_->addAction(qs(t.menuImport));
    n3->setObjectName(QStringLiteral("N3"));
    connect(n5, &QAction::triggered, this, [this] { controller_.mnsortExecute(1); });
    connect(n6, &QAction::triggered, this, [this] { controller_.mnsortExecute(2); });
    connect(n1, &QAction::triggered, this, [this] { controller_.mndellistExecute(); });
    connect(n3, &QAction::triggered, this, [this] { controller_.mnimportExecute(); });
    connect(n4, &QAction::triggered, this, [this] { controller_.mngetcityExecute(); });
    // Added after the original entries: the editor of the user's sources file.
    QAction* editSources = popset_->addAction(qs(t.menuEditSources));
    editSources->setObjectName(QStringLiteral("N7"));
    connect(editSources, &QAction::triggered, this, [this] { controller_.mneditsourcesExecute(); });
    QAction* judge = popset_->addAction(qs(t.menuJudge));
    judge->setObjectName(QStringLiteral("N8"));
    connect(judge, &QAction::triggered, this, [this] { controller_.mnjudgeExecute(); });
    QAction* offline = popset_->addAction(qs(t.menuOffline));
    offline->setObjectName(QStringLiteral("N9"));
    connect(offline, &QAction::triggered, this, [this] { controller_.mnofflinecityExecute(); });
    QAction* editJudges = popset_->addAction(qs(t.menuEditJudges));
    editJudges->setObjectName(QStringLiteral("N10"));
    connect(editJudges, &QAction::triggered, this, [this] { controller_.mneditjudgesExecute(); });
}

QWidget* MainForm::control(const char* name) const
{
    return findChild<QWidget*>(QString::fromLatin1(name));
}

void MainForm::setStatusText(const std::string& text)
{
    panBot_->setCaption(qs(text));
    panBot_->setToolTip(qs(text));
}

void MainForm::setInfoText(const std::string& text)
{
    lbinfo_->setText(qs(text));
    lbinfo_->adjustSize();
}

void MainForm::setTitleText(const std::string& text)
{
    panTop_->setCaption(qs(text));
    setWindowTitle(qs(text));
}

bool MainForm::isChecked(MenuEntry entry) const
{
    return sourceAction(entry)->isChecked();
}

void MainForm::setChecked(MenuEntry entry, bool checked)
{
    sourceAction(entry)->setChecked(checked);
}

void MainForm::setEntryVisible(MenuEntry entry, bool visible)
{
    sourceAction(entry)->setVisible(visible);
}

void MainForm::setMenuButtonVisible(bool visible)
{
    btnMenu_->setVisible(visible);
}

void MainForm::popupAtCursor(Popup popup)
{
    (popup == Popup::Popsvr ? popsvr_ : popset_)->popup(QCursor::pos());
}

void MainForm::navigate(const std::string& url, bool bypassCache)
{
    if (!eweb_) {
        pendingPage_.emplace(url, bypassCache); // the pane shows it once it exists
        return;
    }
    // A proxy switched since the last page takes effect here, so the page on show stays until the user
    // asks for another.
    if (paneProfileStale_)
        replacePaneProfile();
    if (!bypassCache) {
        eweb_->setUrl(QUrl(qs(url)));
        return;
    }
    QWebEngineHttpRequest request{QUrl(qs(url))};
    request.setHeader(QByteArrayLiteral("Cache-Control"), QByteArrayLiteral("no-cache"));
    request.setHeader(QByteArrayLiteral("Pragma"), QByteArrayLiteral("no-cache"));
    eweb_->load(request);
}

void MainForm::showOwnPage(OwnPage page, const OwnPageFields& fields)
{
    if (!eweb_)
        return;
    QFile file(page == OwnPage::Home ? QStringLiteral(":/pages/home.html")
                                     : QStringLiteral(":/pages/webcheck.html"));
    if (!file.open(QIODevice::ReadOnly))
        return;
    QString html = QString::fromUtf8(file.readAll());
    const Texts& t = texts();
    const std::pair<const char*, const std::string*> slots[] = {
        {"{{homeHeading}}", &t.pageHomeHeading},
        {"{{homeHint}}", &t.pageHomeHint},
        {"{{checkHeading}}", &t.pageCheckHeading},
        {"{{addressLabel}}", &t.pageCheckAddress},
        {"{{countryLabel}}", &t.pageCheckCountry},
        {"{{reason}}", &fields.reason},
        {"{{address}}", &fields.address},
        {"{{country}}", &fields.country},
        {"{{detail}}", &fields.detail},
    };
    for (const auto& [slot, value] : slots)
        html.replace(QLatin1String(slot), qs(*value).toHtmlEscaped());
    // Shown in place of the page that failed; its own loading must not count as another failure.
    showingOwnPage_ = true;
    eweb_->setHtml(html, QUrl(QStringLiteral("about:blank")));
}

void MainForm::purgeCache(const std::string&)
{
    // Nothing to purge: the pane's profile keeps no HTTP cache and every page is asked for with no-cache.
    // Clearing the engine's cache here would also cancel, now and then, the page the web check has just
    // asked for (the purge follows the navigation at once).
}

void MainForm::setApplicationProxy(const ProxyEntry& entry)
{
    QNetworkProxy proxy(QNetworkProxy::NoProxy);
    if (!entry.endpoint.empty()) {
        const HostPort& p = entry.endpoint;
        // Qt speaks SOCKS5 only: a SOCKS4 proxy is asked in SOCKS5, which most of them also speak.
        const Protocol kind = kindOf(entry);
        const auto [user, password] = splitCredentials(entry.credentials);
        proxy = QNetworkProxy(
            kind == Protocol::Socks4 || kind == Protocol::Socks5 ? QNetworkProxy::Socks5Proxy
                                                                 : QNetworkProxy::HttpProxy,
            qs(p.host), static_cast<quint16>(p.port.empty() ? 80 : p.portNumber()), qs(user), qs(password));
    }
    if (QNetworkProxy::applicationProxy() == proxy)
        return;
    QNetworkProxy::setApplicationProxy(proxy);
    // The browser engine reads the application proxy when a profile's network starts and not after, so a
    // change takes effect through a fresh profile, made when the pane next loads a page.
    if (eweb_)
        paneProfileStale_ = true;
}

void MainForm::makePane()
{
    if (eweb_)
        return;
    eweb_ = new QWebEngineView(browserFrame_);
    eweb_->setObjectName(QStringLiteral("eweb"));
    replacePaneProfile();
    eweb_->setGeometry(0, 0, 690, 155);
    if (browserFrame_->isVisible())
        eweb_->show(); // made before the window is shown, it shows with the window
    if (pendingPage_) {
        const auto [url, bypassCache] = *std::exchange(pendingPage_, std::nullopt);
        navigate(url, bypassCache);
    }
}

void MainForm::replacePaneProfile()
{
    // A memory-only profile of the pane's own, without an HTTP cache: its network starts now and reads the
    // application proxy as it stands, and every page is fetched anew through it.
    // The form owns both (the view deletes only pages that are its children): a page goes before its
    // profile, or the engine complains.
    QWebEnginePage* oldPage = panePage_;
    QWebEngineProfile* oldProfile = paneProfile_;
    paneProfileStale_ = false;
    paneProfile_ = new QWebEngineProfile;
    paneProfile_->setHttpCacheType(QWebEngineProfile::NoCache);
    // The pane is a fixed 690 x 155 strip of the skin, without scroll bars.
    paneProfile_->settings()->setAttribute(QWebEngineSettings::ShowScrollBars, false);
    // A page that cannot be loaded gives way to the program's own page in Chinese, not the engine's.
    paneProfile_->settings()->setAttribute(QWebEngineSettings::ErrorPageEnabled, false);
    panePage_ = new QWebEnginePage(paneProfile_);
    eweb_->setPage(panePage_);
    connect(panePage_, &QWebEnginePage::loadStarted, this,
            [this] { failedUrl_ = panePage_->requestedUrl(); });
    connect(panePage_, &QWebEnginePage::loadFinished, this, [this](bool ok) {
        if (std::exchange(showingOwnPage_, false) || ok)
            return;
        controller_.panefailed(failedUrl_.toString().toStdString());
    });
    delete oldPage;
    delete oldProfile;
}

void MainForm::messageBox(const std::string& text)
{
    QMessageBox::information(this, qs(texts().title), qs(text));
}

bool MainForm::askYesNo(const std::string& text)
{
    return QMessageBox::question(this, qs(texts().title), qs(text), QMessageBox::Yes | QMessageBox::No) ==
           QMessageBox::Yes;
}

void MainForm::showAbout(const std::string& title, const std::string& text)
{
    QMessageBox::about(this, qs(title), qs(text));
}

std::optional<View::SaveChoice> MainForm::saveDialog(const std::string& filter, int filterIndex)
{
    // "name|pattern|name|pattern..." becomes Qt's "name (pattern)" entries.
    const QStringList parts = qs(filter).split(QLatin1Char('|'));
    QStringList entries;
    for (int i = 0; i + 1 < parts.size(); i += 2)
        entries << parts[i] + QStringLiteral(" (") + parts[i + 1] + QLatin1Char(')');
    QFileDialog dialog(this);
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setOption(QFileDialog::DontConfirmOverwrite);
    // The entries show their names alone ("*.txt", "*.html", "XML文件"), the patterns only filter.
    dialog.setOption(QFileDialog::HideNameFilterDetails);
    dialog.setNameFilters(entries);
    if (filterIndex >= 1 && filterIndex <= entries.size())
        dialog.selectNameFilter(entries[filterIndex - 1]);
    dialog.setDirectory(lastFolder_);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return std::nullopt;
    lastFolder_ = dialog.directory().absolutePath();
    const QString path = dialog.selectedFiles().constFirst();
    // With the details hidden the dialog may name the entry by its name alone.
    const QString chosen = dialog.selectedNameFilter();
    auto index = entries.indexOf(chosen);
    for (qsizetype i = 0; index < 0 && 2 * i < parts.size(); ++i) {
        if (parts[2 * i] == chosen)
            index = i;
    }
    return SaveChoice{QFile::encodeName(path).toStdString(), static_cast<int>(index) + 1};
}

std::optional<std::filesystem::path> MainForm::openDialog()
{
    const QString path = QFileDialog::getOpenFileName(this, QString(), lastFolder_);
    if (path.isEmpty())
        return std::nullopt;
    lastFolder_ = QFileInfo(path).absolutePath();
    return QFile::encodeName(path).toStdString();
}

std::optional<std::string> MainForm::editText(const std::string& title, const std::string& utf8Text)
{
    QDialog dialog(this);
    dialog.setWindowTitle(qs(title));
    dialog.resize(640, 420);
    auto* editor = new QPlainTextEdit(&dialog);
    editor->setObjectName(QStringLiteral("sourcesEditor"));
    editor->setPlainText(QString::fromStdString(utf8Text));
    editor->setLineWrapMode(QPlainTextEdit::NoWrap);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Save | QDialogButtonBox::Cancel, &dialog);
    // The window speaks Chinese whatever translations Qt has installed.
    buttons->button(QDialogButtonBox::Save)->setText(qs(texts().dlgSave));
    buttons->button(QDialogButtonBox::Cancel)->setText(qs(texts().dlgCancel));
    connect(buttons, &QDialogButtonBox::accepted, &dialog, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, &dialog, &QDialog::reject);
    auto* layout = new QVBoxLayout(&dialog);
    layout->addWidget(editor);
    layout->addWidget(buttons);
    if (dialog.exec() != QDialog::Accepted)
        return std::nullopt;
    return editor->toPlainText().toStdString();
}

std::optional<View::JudgeChoice> MainForm::judgeDialog(const JudgeChoice& current)
{
    const Texts& t = texts();
    QDialog dialog(this);
    dialog.setObjectName(QStringLiteral("judgeDialog"));
    dialog.setWindowTitle(qs(t.menuJudge));
    // The judges list first (the default), or the one page below.
    auto* mode = new QComboBox(&dialog);
    mode->setObjectName(QStringLiteral("judgeMode"));
    mode->addItem(qs(t.dlgJudgePool));
    mode->addItem(qs(t.dlgJudgeSingle));
    mode->setCurrentIndex(current.pool ? 0 : 1);
    auto* url = new QLineEdit(QString::fromStdString(current.url), &dialog);
    url->setObjectName(QStringLiteral("judgeUrl"));
    url->setPlaceholderText(qs(t.dlgUrlHint));
    auto* marker = new QLineEdit(QString::fromStdString(current.marker), &dialog);
    marker->setObjectName(QStringLiteral("judgeMarker"));
    marker->setPlaceholderText(qs(t.dlgMarkerHint));
    auto* bytes = new QSpinBox(&dialog);
    bytes->setObjectName(QStringLiteral("judgeBytes"));
    bytes->setRange(1, 1 << 20);
    bytes->setValue(current.markerBytes);
    url->setMinimumWidth(380);
    marker->setMinimumWidth(380);
    // The protocols a bare host:port is checked in; an entry written with a scheme keeps its own.
    auto* protocols = new QHBoxLayout;
    std::vector<std::pair<Protocol, QCheckBox*>> boxes;
    for (Protocol p : kProtocols) {
        auto* box = new QCheckBox(QString::fromLatin1(protocolName(p)).toUpper(), &dialog);
        box->setObjectName(QStringLiteral("protocol_") + QString::fromLatin1(protocolName(p)));
        box->setChecked((current.protocols & bit(p)) != 0);
        protocols->addWidget(box);
        boxes.emplace_back(p, box);
    }
    protocols->addStretch();
    auto* geoip = new QLineEdit(QString::fromStdString(current.geoipFile), &dialog);
    geoip->setObjectName(QStringLiteral("geoipFile"));
    geoip->setPlaceholderText(qs(t.dlgGeoipHint));
    auto* browse = new QPushButton(qs(t.dlgBrowse), &dialog);
    connect(browse, &QPushButton::clicked, &dialog, [&dialog, geoip, &t] {
        const QStringList parts = qs(t.dlgGeoipFilter).split(QLatin1Char('|'));
        const QString filter = parts.value(0) + QStringLiteral(" (") + parts.value(1) +
                               QStringLiteral(");;") + parts.value(2) + QStringLiteral(" (") +
                               parts.value(3) + QLatin1Char(')');
        const QString path =
            QFileDialog::getOpenFileName(&dialog, qs(t.dlgGeoipTitle), geoip->text(), filter);
        if (!path.isEmpty())
            geoip->setText(path);
    });
    auto* geoipRow = new QHBoxLayout;
    geoipRow->addWidget(geoip, 1);
    geoipRow->addWidget(browse);
    // Checks in flight: 0 keeps the original pace of one start every 120 ms.
    auto* fast = new QSpinBox(&dialog);
    fast->setObjectName(QStringLiteral("fastChecks"));
    fast->setRange(0, 65536);
    fast->setSpecialValueText(qs(t.dlgFastZero));
    fast->setValue(current.fastChecks);
    fast->setToolTip(qs(t.dlgFastHint));
    // The proxy that stays alive: the current proxy checked every so many seconds, replaced when it dies.
    auto* guard = new QCheckBox(qs(t.dlgGuard), &dialog);
    guard->setObjectName(QStringLiteral("guard"));
    guard->setChecked(current.guard);
    auto* interval = new QSpinBox(&dialog);
    interval->setObjectName(QStringLiteral("guardSeconds"));
    interval->setRange(5, 86400);
    interval->setSuffix(qs(t.dlgSeconds));
    interval->setValue(current.guardSeconds);
    // The local relay: 设为代理 points the desktop at it, and it moves to the next proxy when one fails.
    auto* relay = new QCheckBox(qs(t.dlgRelay), &dialog);
    relay->setObjectName(QStringLiteral("relay"));
    relay->setChecked(current.relay);
    auto* relayPort = new QSpinBox(&dialog);
    relayPort->setObjectName(QStringLiteral("relayPort"));
    relayPort->setRange(1, 65535);
    relayPort->setValue(current.relayPort);
    relayPort->setToolTip(qs(t.dlgRelayPortHint));
    auto single = [url, marker, bytes](int index) {
        for (QWidget* w :
             {static_cast<QWidget*>(url), static_cast<QWidget*>(marker), static_cast<QWidget*>(bytes)})
            w->setEnabled(index == 1);
    };
    single(mode->currentIndex());
    connect(mode, &QComboBox::currentIndexChanged, &dialog, single);
    auto* form = new QFormLayout;
    form->addRow(qs(t.dlgLabelJudge), mode);
    form->addRow(qs(t.dlgLabelUrl), url);
    form->addRow(qs(t.dlgLabelMarker), marker);
    form->addRow(qs(t.dlgLabelBytes), bytes);
    form->addRow(qs(t.dlgLabelProtocols), protocols);
    form->addRow(qs(t.dlgLabelGeoip), geoipRow);
    form->addRow(qs(t.dlgLabelFast), fast);
    form->addRow(QString(), guard);
    form->addRow(qs(t.dlgLabelGuardSeconds), interval);
    form->addRow(QString(), relay);
    form->addRow(qs(t.dlgLabelRelayPort), relayPort);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, &dialog);
    buttons->button(QDialogButtonBox::Ok)->setText(qs(t.dlgOk));
    buttons->button(QDialogButtonBox::Cancel)->setText(qs(t.dlgCancel));
    connect(buttons, &QDialogButtonBox::accepted, &dialog, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, &dialog, &QDialog::reject);
    auto* layout = new QVBoxLayout(&dialog);
    layout->addLayout(form);
    layout->addWidget(buttons);
    if (dialog.exec() != QDialog::Accepted)
        return std::nullopt;
    ProtocolSet chosen = 0;
    for (const auto& [p, box] : boxes)
        chosen |= box->isChecked() ? bit(p) : 0;
    return JudgeChoice{mode->currentIndex() == 0,
                       url->text().trimmed().toStdString(),
                       marker->text().toStdString(),
                       bytes->value(),
                       chosen != 0 ? chosen : bit(Protocol::Http),
                       geoip->text().trimmed().toStdString(),
                       fast->value(),
                       guard->isChecked(),
                       interval->value(),
                       relay->isChecked(),
                       relayPort->value()};
}

void MainForm::openExternal(const std::string& url)
{
    QDesktopServices::openUrl(QUrl(qs(url)));
}

void MainForm::applyRoundOutline()
{
    // A rectangle with corners cut by a 16 x 16 ellipse, united with the lowest 20 rows so that only the
    // top corners stay round.
    QPainterPath rounded;
    rounded.addRoundedRect(QRectF(0, 0, width(), height()), 8, 8);
    setMask(QRegion(rounded.toFillPolygon().toPolygon()).united(QRegion(0, height() - 20, width(), 20)));
}

void MainForm::minimize()
{
    showMinimized();
}

void MainForm::closeWindow()
{
    close();
}

void MainForm::showEvent(QShowEvent* event)
{
    QWidget::showEvent(event);
    controller_.frmshowExecute();
}

void MainForm::paintEvent(QPaintEvent* event)
{
    QWidget::paintEvent(event);
    // The window has been drawn: the browser pane follows in the next turn of the loop.
    if (!eweb_ && !paneQueued_) {
        paneQueued_ = true;
        QTimer::singleShot(0, this, [this] { makePane(); });
    }
}

void MainForm::closeEvent(QCloseEvent* event)
{
    controller_.FormClose();
    event->accept();
}

} // namespace vorin
