#pragma once
// Everything the logic reaches the operating system through. One composition
// root builds it (Win32 in app/, the simulation in the tests).
#include "platform/clipboard.h"
#include "platform/console.h"
#include "platform/devices.h"
#include "platform/driver_store.h"
#include "platform/files.h"
#include "platform/registry.h"
#include "platform/run_lock.h"
#include "platform/security.h"
#include "platform/services.h"
#include "platform/shell.h"
#include "platform/spooler.h"
#include "platform/system.h"
#include "platform/text_conversion.h"
#include "platform/ui.h"

struct Platform {
  IRegistry& registry;
  ISpooler& spooler;
  IServices& services;
  IDevices& devices;
  IDriverStore& driverStore;
  IFileSystem& files;
  IShell& shell;
  ISystem& system;
  IClock& clock;
  IMessageBoxes& messageBoxes;
  IStringTable& strings;
  ISecurity& security;
  ITextConversion& textConversion;
  IRunLock& runLock;
  IConsole& console;
  IClipboard& clipboard;
};

// The same platform with other message boxes: a run that must show nothing
// answers its own.
inline Platform WithMessageBoxes(const Platform& p, IMessageBoxes& boxes) {
  return Platform{p.registry, p.spooler,  p.services,       p.devices, p.driverStore,
                  p.files,    p.shell,    p.system,         p.clock,   boxes,
                  p.strings,  p.security, p.textConversion, p.runLock, p.console,
                  p.clipboard};
}
