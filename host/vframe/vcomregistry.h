#pragma once

#include "vframe_global.h"

#include <QList>
#include <QString>

class IComponent;
class QObject;

// The host's registry of live components and what they publish. Components
// enter it at construction and leave it at destruction; the host lists it and
// links one component's published signal to another's published slot by name.
namespace VComRegistry {
VFRAME_EXPORT QList<IComponent *> components();
// Connects sender's signal published as signalName to receiver's slot
// published as slotName. False (and a log record) when either name is not
// published or the signatures do not fit each other.
VFRAME_EXPORT bool connect(IComponent *sender, const QString &signalName, IComponent *receiver,
                           const QString &slotName);
// Connects a published signal to any receiver's slot in Qt's string form ("1slot(...)").
VFRAME_EXPORT bool connectSignal(IComponent *sender, const QString &signalName, QObject *receiver, const char *slot);

// Used by IComponent only.
void add(IComponent *component);
void remove(IComponent *component);
} // namespace VComRegistry
