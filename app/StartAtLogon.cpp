#include "app/StartAtLogon.h"

#include "classlib/FileUtils.h"
#include "classlib/Registry.h"

namespace {

[[noreturn]] void RaiseLogonFailure(LONG error) {
  throw ERegistryException(L"Quillnote cannot change whether it starts at logon.\r\n" +
                           SysErrorMessage(static_cast<DWORD>(error)));
}

bool Missing(LONG error) { return error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND; }

}  // namespace

String StartCommand(const String& ExeName) { return L"\"" + ExeName + L"\""; }

bool StartsProgram(const String& Command, const String& ExeName) {
  String path = Trim(Command);
  if (path.size() >= 2 && path.front() == L'"' && path.back() == L'"') path = path.substr(1, path.size() - 2);
  return !path.empty() && AnsiCompareFileName(path, ExeName) == 0;
}

bool StartsAtLogon(const String& ExeName) {
  TRegistry registry(KEY_READ);
  return registry.OpenKeyReadOnly(kRunKey) && StartsProgram(registry.ReadString(kRunValueName), ExeName);
}

void SetStartAtLogon(const String& ExeName, bool Start) {
  TRegistry registry(KEY_READ | KEY_WRITE);
  if (!registry.OpenKey(kRunKey, Start)) {
    if (!Start && Missing(registry.LastError())) return;
    RaiseLogonFailure(registry.LastError());
  }
  if (!Start) {
    if (!registry.DeleteValue(kRunValueName) && !Missing(registry.LastError())) RaiseLogonFailure(registry.LastError());
    return;
  }
  try {
    registry.WriteString(kRunValueName, StartCommand(ExeName));
  } catch (const ERegistryException&) {
    RaiseLogonFailure(registry.LastError());
  }
}
