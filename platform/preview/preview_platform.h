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
// creating one is refused (5), except in the program's own directories. The
// program's log and report belong to the run, not to the system it looks
// at: the report is written through the real platform, and the log's
// directory is named with WriteOwnFilesIn, so that a log made over Get()
// is really written.
#include <memory>
#include <string>

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

  // Files in `directory` and below may be created and written for real, and
  // the directory itself made: the program's own log. Deleting, moving and
  // changing attributes stay in the view there as everywhere.
  void WriteOwnFilesIn(const std::string& directory);

 private:
  std::unique_ptr<preview::State> state_;
  std::unique_ptr<preview::Facilities> facilities_;
};
