#pragma once
// Win32 values the portable logic needs by value. Kept here so that the logic
// never includes <windows.h> and the numbers appear exactly once.
#include <cstdint>

namespace win {

// Error codes
constexpr uint32_t kErrorSuccess = 0;
constexpr uint32_t kErrorFileNotFound = 2;
constexpr uint32_t kErrorPathNotFound = 3;
constexpr uint32_t kErrorAccessDenied = 5;
constexpr uint32_t kErrorInvalidHandle = 6;
constexpr uint32_t kErrorNotEnoughMemory = 8;
constexpr uint32_t kErrorBadEnvironment = 10;
constexpr uint32_t kErrorInvalidData = 13;
constexpr uint32_t kErrorOutOfMemory = 14;
constexpr uint32_t kErrorNoMoreFiles = 18;
constexpr uint32_t kErrorSharingViolation = 32;
constexpr uint32_t kErrorInvalidParameter = 87;
constexpr uint32_t kErrorDirectory = 267;  // not a directory
constexpr uint32_t kErrorInsufficientBuffer = 122;
constexpr uint32_t kErrorInvalidName = 123;
constexpr uint32_t kErrorDirNotEmpty = 145;
constexpr uint32_t kErrorFileExists = 80;
constexpr uint32_t kErrorAlreadyExists = 183;
constexpr uint32_t kErrorFilenameExcedRange = 206;
constexpr uint32_t kErrorMoreData = 234;
constexpr uint32_t kErrorNoMoreItems = 259;
constexpr uint32_t kErrorServiceDoesNotExist = 1060;
constexpr uint32_t kErrorServiceAlreadyRunning = 1056;
constexpr uint32_t kErrorServiceDisabled = 1058;
constexpr uint32_t kErrorServiceNotActive = 1062;
constexpr uint32_t kErrorInstallFailure = 1603;
constexpr uint32_t kErrorUnsupportedType = 1630;
constexpr uint32_t kErrorInvalidPrinterName = 1801;
constexpr uint32_t kErrorCantAccessFile = 1920;
constexpr uint32_t kErrorCantResolveFilename = 1921;
constexpr uint32_t kErrorNotAllAssigned = 1300;
constexpr uint32_t kCryptEFileError = 0x80092003u;
constexpr uint32_t kErrorInWow64 = 0xE0000235u;
constexpr uint32_t kErrorDependentApplicationsExist = 0xE0000300u;
// SetupAPI's answer when devices are still installed from an INF's package.
constexpr uint32_t kErrorInfInUseByDevices = 0xE000023Du;
// DriverPackageUninstall's flag that removes a package devices still use.
constexpr uint32_t kDriverPackageForce = 0x00000004u;  // = kDifxForce
constexpr uint32_t kErrorDriverPackageNotInStore = 0xE0000302u;
constexpr uint32_t kErrorNoSuchDevinst = 0xE000020Bu;
constexpr uint32_t kErrorInvalidRegProperty = 0xE0000209u;
constexpr uint32_t kErrorKeyDoesNotExist = 0xE0000204u;

// Registry
constexpr uint32_t kRegNone = 0;
constexpr uint32_t kRegSz = 1;
constexpr uint32_t kRegExpandSz = 2;
constexpr uint32_t kRegBinary = 3;
constexpr uint32_t kRegDword = 4;
constexpr uint32_t kRegMultiSz = 7;
constexpr uint32_t kKeyQueryValue = 0x0001;
constexpr uint32_t kKeyRead = 0x20019;

// Spooler
constexpr uint32_t kPrinterEnumLocal = 2;
constexpr uint32_t kPrinterAllAccess = 0xF000C;

// Services
constexpr uint32_t kScManagerConnect = 0x0001;
constexpr uint32_t kScManagerAllAccess = 0xF003F;
constexpr uint32_t kServiceAllAccess = 0xF01FF;
constexpr uint32_t kServiceStop = 0x0020;
constexpr uint32_t kDelete = 0x10000;
constexpr uint32_t kServiceControlStop = 1;
// SERVICE_STATUS dwCurrentState.
constexpr uint32_t kServiceStopped = 1;
constexpr uint32_t kServiceStartPending = 2;
constexpr uint32_t kServiceStopPending = 3;
constexpr uint32_t kServiceRunning = 4;
constexpr uint32_t kServiceContinuePending = 5;
constexpr uint32_t kServicePausePending = 6;
constexpr uint32_t kServicePaused = 7;

// SetupAPI
constexpr uint32_t kDigcfAllClasses = 4;
constexpr uint32_t kSpdrpHardwareId = 1;
constexpr uint32_t kSpdrpService = 4;
constexpr uint32_t kDifRemove = 5;
constexpr uint32_t kDicsFlagGlobal = 1;
constexpr uint32_t kDiregDev = 1;

// Files
// MAX_PATH: what the system's path buffers hold, the terminator included.
constexpr uint32_t kMaxPath = 260;
constexpr uint32_t kFileAttributeReadOnly = 0x01;
constexpr uint32_t kFileAttributeHidden = 0x02;
constexpr uint32_t kFileAttributeSystem = 0x04;
constexpr uint32_t kFileAttributeDirectory = 0x10;
constexpr uint32_t kFileAttributeArchive = 0x20;
constexpr uint32_t kFileAttributeNormal = 0x80;
constexpr uint32_t kFileAttributeReparsePoint = 0x400;
constexpr uint32_t kInvalidFileAttributes = 0xFFFFFFFFu;

// Privileges (SE_TAKE_OWNERSHIP_NAME, SE_RESTORE_NAME)
constexpr const char* kTakeOwnershipPrivilege = "SeTakeOwnershipPrivilege";
constexpr const char* kRestorePrivilege = "SeRestorePrivilege";

// Processor architectures (SYSTEM_INFO::wProcessorArchitecture)
constexpr uint16_t kProcessorArchitectureIntel = 0;
constexpr uint16_t kProcessorArchitectureIa64 = 6;
constexpr uint16_t kProcessorArchitectureAmd64 = 9;
constexpr uint16_t kProcessorArchitectureArm64 = 12;

// Show commands
constexpr int kSwHide = 0;
constexpr int kSwShowNormal = 1;
constexpr int kSwShow = 5;
constexpr int kSwShowNa = 8;

// Message boxes
constexpr uint32_t kMbOk = 0x00;
constexpr uint32_t kMbOkCancel = 0x01;
constexpr uint32_t kMbYesNoCancel = 0x03;
constexpr uint32_t kMbYesNo = 0x04;
// The button set: the low four bits of the style.
constexpr uint32_t kMbTypeMask = 0x0F;
constexpr uint32_t kMbIconQuestion = 0x20;
constexpr uint32_t kMbIconExclamation = 0x30;
constexpr uint32_t kMbIconInformation = 0x40;
constexpr int kIdOk = 1;
constexpr int kIdCancel = 2;
constexpr int kIdYes = 6;

// Window messages
constexpr uint32_t kWmApp = 0x8000;
constexpr uint32_t kWmHelp = 0x004D;

// ShellExecute results
constexpr int kSeErrFnf = 2;
constexpr int kSeErrPnf = 3;
constexpr int kSeErrNoAssoc = 31;
constexpr int kShellExecuteSuccessAbove = 32;

}  // namespace win
