// The disposal action: gets rid of the file of Winamp's current entry.
#pragma once

#include <string>

#include "platform/platform.h"

namespace vandrel::disposal {

// What the action reads from the plug-in at the moment it runs.
class ActHost {
 public:
  virtual ~ActHost() = default;
  virtual bool moveToFolder() = 0;
  virtual std::wstring savingPlace() = 0;
  virtual bool sortingOption() = 0;
  virtual bool createArtistFolder() = 0;
  // Read afresh before every command sent to Winamp.
  virtual platform::WindowHandle WinAmpWindowHandle() = 0;
};

// How one call of Act ended.
enum class ActOutcome {
  Disposed,       // deleted, or moved
  MoveSkipped,    // destination exists or equals the source; Winamp moved on
  NetworkRefused, // network path, box shown, nothing sent
  NotThere,       // no such file (or empty name): nothing done
  NoTarget,       // moving with no target folder: box shown, nothing touched
  FolderFailed,   // letter/artist folder creation failed: box shown, nothing moved
};

// Runs the action. A failed delete or move throws vandrel::Error whose
// description names the file and the system's reason; Winamp then stays
// stopped and nothing more is sent.
ActOutcome Act(ActHost& host);

}  // namespace vandrel::disposal
