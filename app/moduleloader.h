#pragma once

#include <QLibrary>
#include <QString>

class IHostContext;
class IModule;

// Loads a business module library at run time, as the client does: resolves
// its exported LoadBizModule and UnloadBizModule and hands the module the
// host context.
class ModuleLoader
{
public:
    ModuleLoader() = default;
    ~ModuleLoader();
    ModuleLoader(const ModuleLoader &) = delete;
    ModuleLoader &operator=(const ModuleLoader &) = delete;

    // The module library that the build puts beside the running program.
    static QString defaultLibraryPath();

    // Loads the library path names: a path as it is (a relative one from the
    // current folder), a bare file name from the application folder first,
    // then from the current folder, then from the loader's search path. False, with errorString() naming
    // path as given and saying why, when the library cannot be found or
    // loaded, lacks an entry point or gives no module.
    bool load(const QString &path, IHostContext *context);
    IModule *module() const;
    QString errorString() const;

    // Destroys the module with every component it still holds. The library
    // stays mapped until the process ends, since Qt keeps pointers into it
    // (meta-objects, registered resources).
    void unload();

private:
    bool fail(const QString &message);

    QLibrary m_library;
    bool (*m_unloadBizModule)() = nullptr;
    IModule *m_module = nullptr;
    QString m_error;
};
