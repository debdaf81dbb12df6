// libFuzzer's setup: an offscreen application for the components, and no
// echo of the log (a record per input would be most of the run's time).

#include <vlogsink.h>

#include <QApplication>
#include <QLoggingCategory>

extern "C" int LLVMFuzzerInitialize(int *argc, char ***argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    static QApplication *app = new QApplication(*argc, *argv); // for the process's life
    Q_UNUSED(app);
    QLoggingCategory::setFilterRules(QStringLiteral("tarn.vlog=false"));
    VLog::setFileLogging(false);
    return 0;
}
