#include "imodule.h"

IModule::IModule(QObject *parent)
    : QObject(parent)
{
}

IModule::~IModule() = default;
