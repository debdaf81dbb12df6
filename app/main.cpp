// tarn-host: a small trading-client host for the tarn module. It loads the
// module library at run time, serves it a sample market with a simulated
// feed or with quotes from the bus (--feed), and shows the module's
// components; with --screenshot it runs headless and saves a picture of each.

#include "hostoptions.h"
#include "hostwindow.h"
#include "moduleloader.h"
#include "sampleprofile.h"

#include <hostcontext.h>
#include <vlocaldb.h>
#include <vlogsink.h>
#include <vnatsquotfeed.h>
#include <voutput.h>
#include <vquotmgr.h>
#include <vquottape.h>
#include <vsimquotfeed.h>

#include <QApplication>
#include <QDir>
#include <QFileInfo>
#include <QFont>
#include <QLibraryInfo>
#include <QLoggingCategory>
#include <QStandardPaths>
#include <QTimer>
#include <QTranslator>

#include <cstdio>

namespace {

const char *const BuiltInData = ":/sampledata";

void say(const QString &text)
{
    std::fprintf(stderr, "tarn-host: %s\n", text.toLocal8Bit().constData());
}

// True when Qt will find no display: no platform named on the command line
// or in the environment, and no X11 or Wayland display to connect to.
bool lacksDisplay(int argc, char **argv)
{
#if defined(Q_OS_UNIX) && !defined(Q_OS_MACOS)
    for (int i = 1; i < argc; ++i) {
        if (qstrcmp(argv[i], "-platform") == 0 || qstrcmp(argv[i], "--platform") == 0)
            return false;
    }
    return qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM") && qEnvironmentVariableIsEmpty("DISPLAY")
        && qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY");
#else
    Q_UNUSED(argc)
    Q_UNUSED(argv)
    return false;
#endif
}

QtMessageHandler g_consoleHandler = nullptr;

// The console shows failures only: the log's failure records (its echo
// category, whose records are already in the file) and Qt's critical and
// fatal messages. Qt's debug and info output (the module's traces among it)
// goes to the log file as normal events, its warnings as warning records.
void routeMessage(QtMsgType type, const QMessageLogContext &context, const QString &message)
{
    const bool echo = qstrcmp(context.category, "tarn.vlog") == 0;
    if (echo || type == QtCriticalMsg || type == QtFatalMsg) {
        g_consoleHandler(type, context, message);
        return;
    }
    VOutput(type == QtWarningMsg ? 2 : 0, QString::fromUtf8(context.file), context.line, QString(), message);
}

} // namespace

int main(int argc, char **argv)
{
    const bool headlessFallback = lacksDisplay(argc, argv);
    if (headlessFallback)
        qputenv("QT_QPA_PLATFORM", "offscreen");

    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("tarn-host"));
    // Trading clients use a compact CJK face: its Latin digits are narrow, so
    // quote columns keep their numbers whole.
    QFont font(QStringLiteral("WenQuanYi Micro Hei"), 9);
    font.setStyleHint(QFont::SansSerif);
    QApplication::setFont(font);
    // Every log record goes to the log file; the console shows only failures.
    QLoggingCategory::setFilterRules(QStringLiteral("tarn.vlog.info=false"));
    g_consoleHandler = qInstallMessageHandler(routeMessage);
    // Qt's own texts, the command line's help and errors among them, in the window's language.
    QTranslator qtTexts;
    if (qtTexts.load(QStringLiteral("qtbase_zh_CN"), QLibraryInfo::location(QLibraryInfo::TranslationsPath)))
        QCoreApplication::installTranslator(&qtTexts);

    HostOptions options;
    QString error;
    if (!options.parse(QApplication::arguments(), &error)) {
        say(error);
        return 2;
    }
    if (headlessFallback && options.screenshotDir.isEmpty()) {
        options.screenshotDir = QDir::current().filePath(QStringLiteral("tarn-screenshots"));
        if (options.durationSeconds < 0)
            options.durationSeconds = 5;
        say(QStringLiteral("未找到显示器 (DISPLAY 和 WAYLAND_DISPLAY 均未设置): 无界面运行 %1 秒, 截图保存在 %2")
                .arg(options.durationSeconds)
                .arg(QDir::toNativeSeparators(options.screenshotDir)));
    }

    HostContext::Options contextOptions;
    contextOptions.configDbPath = options.configPath;
    // A timed run (screenshots among them) works on a copy in memory: the
    // user's settings and window layout stay as they were.
    contextOptions.configInMemory = options.durationSeconds >= 0;
    if (options.configPath.isEmpty()) {
        // Only the default configuration's folder is made; --config names an existing one.
        const QString folder = QStandardPaths::writableLocation(QStandardPaths::AppConfigLocation);
        if (!contextOptions.configInMemory)
            QDir().mkpath(folder);
        contextOptions.configDbPath = QDir(folder).filePath(QStringLiteral("config.db"));
    }
    contextOptions.dataDir = options.dataDir.isEmpty() ? QString::fromLatin1(BuiltInData) : options.dataDir;
    contextOptions.sysDate = options.sysDate;
    HostContext context(contextOptions);
    if (!context.loadProblems().isEmpty())
        say(QStringLiteral("部分服务未能建立, 以可用的部分启动; 详见日志 %1")
                .arg(QDir::toNativeSeparators(VLog::logFilePath())));
    SampleProfile::seed(contextOptions.dataDir, context.localDb());

    // Quotes from the bus when --feed names it, else from the simulated market.
    VSimQuotFeed *simulator = nullptr;
    if (options.feed.urls.isEmpty()) {
        simulator = context.installSimQuotFeed();
        simulator->setSeed(options.seed);
        simulator->setRate(options.rate);
        simulator->start();
    } else {
        auto *bus = new VNatsQuotFeed;
        if (!bus->open(options.feed, &error)) {
            delete bus;
            say(error);
            return 2;
        }
        context.setQuotFeed(bus);
    }
    VQuotTapeWriter tape;
    if (!options.recordPath.isEmpty()) {
        if (!tape.open(options.recordPath, &error)) {
            say(QStringLiteral("--record: %1: %2").arg(QDir::toNativeSeparators(options.recordPath), error));
            return 2;
        }
        context.quotMgr()->setTap([&tape, failed = false](const VQuotData &record) mutable {
            if (failed || tape.write(record))
                return;
            failed = true;
            VOutput(3, QStringLiteral(__FILE__), __LINE__, QString(),
                    QStringLiteral("行情录制停止, 写入失败: %1").arg(tape.error()));
        });
    }

    ModuleLoader loader;
    const QString libraryPath
        = options.libraryPath.isEmpty() ? ModuleLoader::defaultLibraryPath() : options.libraryPath;
    if (!loader.load(libraryPath, &context)) {
        say(loader.errorString());
        return 1;
    }

    int status = 0;
    {
        HostWindow window(&context, loader.module(), simulator);
        context.setMainWindow(&window);
        const bool chosen = !options.components.isEmpty();
        const QStringList missing
            = window.createComponents(chosen ? options.components : HostOptions::defaultComponents());
        if (chosen && !missing.isEmpty()) {
            say(QStringLiteral("业务模块未提供元件 %1").arg(missing.join(QStringLiteral(", "))));
            if (!options.screenshotDir.isEmpty())
                return 1;
        }
        if (window.components().isEmpty()) {
            say(QStringLiteral("业务模块未创建任何元件"));
            return 1;
        }
        window.restoreLayout();
        window.showInitialSecurity();
        window.showInitialOptionChain();
        window.show();

        if (options.durationSeconds >= 0) {
            QTimer::singleShot(options.durationSeconds * 1000, &window, [&] {
                if (!options.screenshotDir.isEmpty()) {
                    const QStringList files = window.saveScreenshots(options.screenshotDir, &error);
                    QStringList names;
                    for (const QString &file : files)
                        names << QFileInfo(file).fileName();
                    if (files.isEmpty()) {
                        say(error);
                        status = 1;
                    } else {
                        say(QStringLiteral("截图已保存在 %1: %2")
                                .arg(QDir::toNativeSeparators(options.screenshotDir),
                                     names.join(QStringLiteral(", "))));
                    }
                }
                window.close();
            });
        }
        const int exitCode = QApplication::exec();
        status = status ? status : exitCode;
        window.releaseComponents();
        context.setMainWindow(nullptr);
    }
    loader.unload();
    if (simulator)
        simulator->stop();
    context.quotMgr()->setTap(nullptr);
    return status;
}
