#include "moduleloader.h"

#include <voutput.h>

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>

namespace {

// The file a bare library name stands for: the one beside the program, or
// in the current folder, or else the name itself for the dynamic loader's own
// search.
QString findBareName(const QString &name)
{
    for (const QDir &folder : {QDir(QCoreApplication::applicationDirPath()), QDir::current()}) {
        if (QFileInfo::exists(folder.filePath(name)))
            return folder.absoluteFilePath(name);
    }
    return name;
}

// The loader's own reason out of QLibrary's message, which wraps it as
// "Cannot load library FILE: (FILE: REASON)".
QString loaderReason(const QString &message, const QString &file)
{
    QString reason = message;
    const int open = reason.indexOf(QLatin1String(": ("));
    if (open >= 0 && reason.endsWith(QLatin1Char(')')))
        reason = reason.mid(open + 3).chopped(1);
    const QString prefix = file + QLatin1String(": ");
    return reason.startsWith(prefix) ? reason.mid(prefix.size()) : reason;
}

} // namespace

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
    const bool bare = !path.contains(QLatin1Char('/'));
    const QString file = bare ? findBareName(path) : QFileInfo(path).absoluteFilePath();
    if (!bare && !QFileInfo::exists(file))
        return fail(QStringLiteral("业务模块[%1]加载失败: 文件[%2]不存在").arg(path, QDir::toNativeSeparators(file)));
    m_library.setFileName(file);
    if (!m_library.load()) {
        // A bare name the loader could not find: QLibrary's message would name
        // the variants of it that Qt tried.
        if (bare && file == path) {
            return fail(
                QStringLiteral("业务模块[%1]加载失败: 程序所在文件夹[%2]、当前文件夹和系统的库搜索路径中都没有这个文件")
                    .arg(path, QDir::toNativeSeparators(QCoreApplication::applicationDirPath())));
        }
        return fail(QStringLiteral("业务模块[%1]加载失败: %2").arg(path, loaderReason(m_library.errorString(), file)));
    }

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
