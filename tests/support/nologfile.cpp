// Linked into every test: the log file is off, so tests leave no files behind
// (a test that checks the file turns it on for itself).

#include <vlogsink.h>

#include <QtGlobal>

static void turnLogFileOff()
{
    VLog::setFileLogging(false);
}
Q_CONSTRUCTOR_FUNCTION(turnLogFileOff)
