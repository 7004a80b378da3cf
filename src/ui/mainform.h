// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Vorin developers
#pragma once

#include "app/frmvrdl.h"
#include "app/view.h"
#include "ui/Unpngpanel.h"
#include "ui/uvrpngbtn.h"

#include <QUrl>
#include <QWidget>
#include <array>
#include <functional>
#include <optional>
#include <string>
#include <utility>

class QAction;
class QLabel;
class QMenu;
class QTableView;
class QWebEnginePage;
class QWebEngineProfile;
class QWebEngineView;

namespace vorin {

class GridModel;

// The main window frmvrdl: the borderless 690x505 form with its title bar, toolbar, proxy grid, browser
// pane and status bar, laid out at the fixed places of the skin. It wires each control to the controller
// and implements the controller's View; it holds no logic of its own.
class MainForm final : public QWidget, public View {
    Q_OBJECT
public:
    MainForm(Dispatcher& dispatcher, Clock& clock, Endpoints endpoints, QWidget* parent = nullptr);
    ~MainForm() override;

    Tfrmvrdl& controller() { return controller_; }

    // View
    void setStatusText(const std::string& text) override;
    void setInfoText(const std::string& text) override;
    void setTitleText(const std::string& text) override;
    bool isChecked(MenuEntry entry) const override;
    void setChecked(MenuEntry entry, bool checked) override;
    void setEntryVisible(MenuEntry entry, bool visible) override;
    void setMenuButtonVisible(bool visible) override;
    void popupAtCursor(Popup popup) override;
    void navigate(const std::string& url, bool bypassCache) override;
    void purgeCache(const std::string& urlPart) override;
    void showOwnPage(OwnPage page, const OwnPageFields& fields) override;
    void setApplicationProxy(const ProxyEntry& proxy) override;
    void messageBox(const std::string& text) override;
    bool askYesNo(const std::string& text) override;
    void showAbout(const std::string& title, const std::string& text) override;
    void openExternal(const std::string& url) override;
    std::optional<SaveChoice> saveDialog(const std::string& filter, int filterIndex) override;
    std::optional<std::filesystem::path> openDialog() override;
    std::optional<std::string> editText(const std::string& title, const std::string& utf8Text) override;
    std::optional<JudgeChoice> judgeDialog(const JudgeChoice& current) override;
    void applyRoundOutline() override;
    void minimize() override;
    void closeWindow() override;

    // For tests and the skin: the named controls.
    QWidget* control(const char* name) const;
    QMenu* popsvr() const { return popsvr_; }
    QMenu* popset() const { return popset_; }
    QAction* sourceAction(MenuEntry entry) const { return sourceActions_[static_cast<int>(entry)]; }
    // The browser pane, made at once if the window has not made it yet.
    QWebEngineView* browser()
    {
        makePane();
        return eweb_;
    }

protected:
    void showEvent(QShowEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    void buildLayout();
    void buildMenus();
    void replacePaneProfile();
    // Makes the browser pane and loads the page asked for meanwhile. The browser engine takes longer to
    // start than the whole window, so the pane is made once the window is on screen.
    void makePane();
    Tvrpngbtn* addButton(QWidget* parent, const char* name, QPoint place, const std::string& hint,
                         std::function<void()> click);
    Timagepanle* addPanel(Timagepanle* panel, const char* name, QRect place, Timagepanle::Dock dock);

    Tfrmvrdl controller_;
    Timagepanle* panTop_ = nullptr;
    Timagepanle* panBot_ = nullptr;
    QLabel* lbinfo_ = nullptr;
    Tvrpngbtn* btnMenu_ = nullptr;
    QTableView* sgrid_ = nullptr;
    GridModel* gridModel_ = nullptr;
    QWidget* browserFrame_ = nullptr;
    QWebEngineView* eweb_ = nullptr;
    bool paneQueued_ = false;
    std::optional<std::pair<std::string, bool>> pendingPage_; // asked for before the pane existed
    QWebEnginePage* panePage_ = nullptr;       // owned here, replaced with its profile when the proxy changes
    QWebEngineProfile* paneProfile_ = nullptr; // owned here
    bool paneProfileStale_ = false;            // the proxy changed since the profile was made
    bool showingOwnPage_ = false;              // the pane is loading one of the program's own pages
    QUrl failedUrl_;                           // the page the pane was last asked for
    QMenu* popsvr_ = nullptr;
    QMenu* popset_ = nullptr;
    std::array<QAction*, kMenuEntries> sourceActions_{};
    QString lastFolder_; // where the file dialogs open next
};

} // namespace vorin
