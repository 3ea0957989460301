#pragma once
// The block that uidriver and uiprobe.dll share through a named mapping.
#include <cstdint>

constexpr const char* kProbeMappingName = "Local\\PurvexUiProbe";
constexpr const char* kProbeDllName = "uiprobe.dll";
constexpr int kProbeLabelChars = 256;
constexpr int kProbeTextBytes = 8192;

enum ProbeStatus : uint32_t { kProbePending = 0, kProbeDone = 1, kProbeFailed = 2 };

struct ProbeBlock {
  uint64_t window;
  uint32_t status;
  uint32_t count;
  char text[kProbeTextBytes];
};
