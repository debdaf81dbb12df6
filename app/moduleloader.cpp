#include "moduleloader.h"

#include <voutput.h>

#include <QCoreApplication>
#include <QDir>

ModuleLoader::~ModuleLoader()
{
    unload();
}

QString ModuleLoader::defaultLibraryPath()
{
    return QDir(QCoreApplication::applicationDirPath()).filePath(QStringLiteral(TARN_MODULE_FILE_NAME));
}

bool ModuleLoader::load(const QString &path, IHostContext *context)
{
    unload();
    m_error.clear();
    m_library.setFileName(path);
    if (!m_library.load())
        return fail(QStringLiteral("业务模块[%1]加载失败: %2").arg(path, m_library.errorString()));

    using LoadBizModule = IModule *(*)(IHostContext *);
    const auto loadBizModule = reinterpret_cast<LoadBizModule>(m_library.resolve("LoadBizModule"));
    m_unloadBizModule = reinterpret_cast<bool (*)()>(m_library.resolve("UnloadBizModule"));
    if (!loadBizModule || !m_unloadBizModule) {
        m_unloadBizModule = nullptr;
        return fail(
            QStringLiteral("业务模块[%1]缺少入口函数%2")
                .arg(path, loadBizModule ? QStringLiteral("UnloadBizModule") : QStringLiteral("LoadBizModule")));
    }
    m_module = loadBizModule(context);
    if (!m_module) {
        unload();
        return fail(QStringLiteral("业务模块[%1]的LoadBizModule未返回模块").arg(path));
    }
    VOutput(0, QStringLiteral(__FILE__), __LINE__, QString(), QStringLiteral("业务模块[%1]已加载").arg(path));
    return true;
}

IModule *ModuleLoader::module() const
{
    return m_module;
}

QString ModuleLoader::errorString() const
{
    return m_error;
}

void ModuleLoader::unload()
{
    if (m_unloadBizModule)
        m_unloadBizModule();
    m_unloadBizModule = nullptr;
    m_module = nullptr;
}

bool ModuleLoader::fail(const QString &message)
{
    m_error = message;
    VOutput(3, QStringLiteral(__FILE__), __LINE__, QString(), message);
    return false;
}
