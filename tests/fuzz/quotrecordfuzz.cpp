#include "quotrecordfuzz.h"

#include <livehost.h>

#include <icomponent.h>
#include <vquotdata.h>
#include <vquotframe.h>

#include <QCoreApplication>
#include <QList>

#include <cstring>

namespace {

// The components live for the whole run, as in a client that runs all day.
struct Components
{
    LiveHost host;
    const QList<IComponent *> shown = host.showAll();
};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    static Components *components = new Components; // kept to the process's end
    for (size_t offset = 0; offset < size; offset += sizeof(VQuotData)) {
        VQuotData record;
        std::memset(&record, 0, sizeof record);
        std::memcpy(&record, data + offset, std::min(sizeof record, size - offset));
        for (IComponent *component : qAsConst(components->shown))
            LiveHost::deliverDirectly(component, record);
    }
    // The same bytes as frames from the bus: what the decoder lets through
    // reaches the components too.
    for (size_t offset = 0; offset < size; offset += size_t(VQuotFrame::Size)) {
        VQuotData record;
        const size_t length = std::min(size_t(VQuotFrame::Size), size - offset);
        if (VQuotFrame::decode(reinterpret_cast<const char *>(data + offset), length, record)
            == VQuotFrame::Defect::None) {
            for (IComponent *component : qAsConst(components->shown))
                LiveHost::deliverDirectly(component, record);
        }
    }
    // Frame-paced writes and repaints run as they would between records.
    QCoreApplication::processEvents();
    // The test host keeps every log record; a run of millions of inputs must not.
    components->host.log().clear();
    return 0;
}
