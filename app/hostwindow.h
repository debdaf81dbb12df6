#pragma once

#include <QHash>
#include <QMainWindow>
#include <QPointer>

class ComponentLinker;
class FeedStatus;
class HostContext;
class IComponent;
class IModule;
class QDockWidget;
class QMenu;
class QTabWidget;
class QVBoxLayout;
class StaleQuotes;
class VSimQuotFeed;

// tarn-host's main window: it asks the module for components by class name,
// gives each a place (boards in tabs, quote panels in docks beside them), a
// configuration group and its stored scene, links them by their published
// names, and frees them through the module again. Menus pause the simulated
// feed, change its rate and switch the colour style; the status bar shows
// the feed, and a banner above the tabs says when settings are not kept.
// While quotes are not current every component is marked stale (StaleQuotes).
class HostWindow : public QMainWindow
{
    Q_OBJECT
public:
    // feed may be null (no simulated market).
    HostWindow(HostContext *context, IModule *module, VSimQuotFeed *feed, QWidget *parent = nullptr);
    ~HostWindow() override;

    // The title a trader knows a component by.
    static QString componentTitle(const QString &className);

    // Creates each named component in order and places it. Returns the names
    // for which the module gave no component (they are skipped and logged).
    QStringList createComponents(const QStringList &classNames);
    QList<IComponent *> components() const;
    ComponentLinker *linker() const;

    // Shows the security last shown (the host remembers it between runs).
    void showInitialSecurity();
    // Opens the option boards on the sample market's first fund and its
    // nearest expiry; the board itself starts with nothing chosen.
    void showInitialOptionChain();
    // The window's size, position, dock layout, tab in front and colour style of the last run.
    void restoreLayout();
    // Saves the window's layout and each component's scene, and frees the
    // components through the module, newest first.
    void releaseComponents();
    // Saves one PNG per component in dir, named after its class in lower
    // case, then one of the whole window ("tarn-host.png"); returns the files
    // written, or an empty list with error set.
    QStringList saveScreenshots(const QString &dir, QString *error);

private:
    void placeComponent(IComponent *component, const QString &title);
    void placeTab(IComponent *component, const QString &title);
    void showSettingsProblem(const QString &problem);
    void bringForward(IComponent *component);
    void buildMenus();
    QString cfgGroup(const QString &className, int instance) const;

    HostContext *m_context;
    IModule *m_module;
    QPointer<VSimQuotFeed> m_feed;
    ComponentLinker *m_linker;
    StaleQuotes *m_stale;
    FeedStatus *m_status;
    QVBoxLayout *m_centralLayout;
    QTabWidget *m_tabs = nullptr;
    QMenu *m_viewMenu = nullptr; // a show/hide entry per dock
    QHash<IComponent *, QDockWidget *> m_docks;
    QString m_shownSecurity;
};
