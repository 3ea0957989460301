#pragma once
// A view of the system in which nothing is written. Reads pass through to
// the real platform; each write is answered as if it had succeeded, and what
// it would have done (a key or file gone, a service stopped, a printer
// deleted, a device removed) is what later reads through the view see. No
// process is started, no ownership taken, no service really stopped, and the
// fixed waits return at once, so one run of the real steps over Get() tells
// what a run would do.
//
// What cannot be known beforehand is answered as the usual case: a file in
// use, an access list that refuses a deletion, a driver package still used by
// a device, or a service that refuses to start are found only by a real run.
//
// The view does not write file contents: opening a file for writing or
// creating one is refused (5). The program's own log and report belong to
// the run, not to the system it looks at; they are written through the real
// platform.
#include <memory>

#include "platform/platform.h"

namespace preview {
struct State;
struct Facilities;
}

class PreviewPlatform {
 public:
  explicit PreviewPlatform(const Platform& real);
  ~PreviewPlatform();
  PreviewPlatform(const PreviewPlatform&) = delete;
  PreviewPlatform& operator=(const PreviewPlatform&) = delete;

  Platform& Get();

 private:
  std::unique_ptr<preview::State> state_;
  std::unique_ptr<preview::Facilities> facilities_;
};
