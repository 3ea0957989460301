#pragma once
// What an unattended run hands back to whoever started it. A run that did
// its work ends with the last non-zero result code a step reported (the
// removal steps' codes 10 to 80), or 0. The codes of its own lie above every
// result code and are no multiple of five, so neither today's result codes
// nor later ones in the same steps can meet them; they also stay clear of the
// values deployment tools read as "reboot" or "cancelled" (1602, 1641, 3010)
// and of small numbers that tools show as Win32 error texts. 101 to 104 mean
// the run did not start, so "if errorlevel 101" in a batch file catches them.
#include <cstdint>

enum class ExitCode : int32_t {
  kSuccess = 0,
  kUsageError = 101,         // unknown switch, missing value, conflicting switches
  kPrinterNotListed = 102,   // the printer named is not one the program lists
  kNotElevated = 103,        // started without administrator rights
  kRunInProgress = 104,      // another run (window or unattended) holds the lock
  kPreviewIncomplete = 106,  // a preview could not tell everything the run would do
  kReportNotWritten = 107,   // the run ended, its report could not be written
  kStopped = 108,            // Ctrl+C, Ctrl+Break or the end of the session
  kWrongEdition = 109,       // the 32-bit program on 64-bit Windows: did not start
};

constexpr int32_t ExitCodeValue(ExitCode code) { return static_cast<int32_t>(code); }

// How a run that started ends. A stop outranks everything, as the run did not
// do all it set out to do; then a missing report, as the caller that asked
// for it cannot read the outcome; then an incomplete preview; then the steps'
// own last failure.
struct RunEnd {
  int32_t lastResultCode = 0;  // the last non-zero result code of a step, or 0
  bool stopped = false;
  bool previewIncomplete = false;
  bool reportNotWritten = false;
};

constexpr int32_t FinalExitCode(const RunEnd& end) {
  if (end.stopped) return ExitCodeValue(ExitCode::kStopped);
  if (end.reportNotWritten) return ExitCodeValue(ExitCode::kReportNotWritten);
  if (end.previewIncomplete) return ExitCodeValue(ExitCode::kPreviewIncomplete);
  return end.lastResultCode;
}

// The port-service removal reports a driver file that was already gone with
// its own code; the sequence counts that as success, and so does the exit
// code, or a clean removal would read as a failure to a deployment tool.
inline constexpr int32_t kResultPortDriverFileAlreadyGone = 80;

// The last failure among a run's result codes, in the order the steps
// reported them; 0 when there was none.
template <typename Codes>
constexpr int32_t LastNonZeroResult(const Codes& codes) {
  int32_t last = 0;
  for (auto code : codes) {
    const auto value = static_cast<int32_t>(code);
    if (value != 0 && value != kResultPortDriverFileAlreadyGone) last = value;
  }
  return last;
}
