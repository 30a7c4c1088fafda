// The stand-in Winamp on its own: what the plug-in relies on from Winamp's
// messages, and the control channel the other end-to-end tests use.
#include <gtest/gtest.h>
#include <windows.h>

#include <string>
#include <vector>

#include "support/win/standin_driver.h"
#include "support/win/temp_files.h"

namespace vandrel::testing {
namespace {

using Log = std::vector<std::string>;

LRESULT Ipc(const Standin& standin, WPARAM wparam, LPARAM code) {
  return SendMessageA(standin.window(), WM_USER, wparam, code);
}

void Command(const Standin& standin, WPARAM id) { SendMessageA(standin.window(), WM_COMMAND, id, 0); }

// 256 bytes of the stand-in's memory at `address`, as the plug-in reads them.
std::string Read256(const Standin& standin, LRESULT address) {
  std::string bytes(256, ' ');
  SIZE_T got = 0;
  ReadProcessMemory(standin.process(), reinterpret_cast<const void*>(address), bytes.data(), bytes.size(),
                    &got);
  bytes.resize(got);
  return bytes;
}

class StandinTest : public ::testing::Test {
 protected:
  void StartWith(const std::vector<std::string>& files, bool play = false) {
    StandinOptions options;
    options.files = files;
    options.play = play;
    ASSERT_TRUE(standin.Start(options)) << standin.error();
  }

  TempFolder music;
  Standin standin;
};

TEST_F(StandinTest, AnswersPositionLengthAndNameAddresses) {
  const std::string name255 = "C:\\" + std::string(248, 'a') + ".mp3";
  const std::string name256 = "C:\\" + std::string(249, 'b') + ".mp3";
  ASSERT_EQ(name255.size(), 255u);
  ASSERT_EQ(name256.size(), 256u);
  StartWith({"C:\\Music\\A - One.mp3", name255, name256});

  EXPECT_EQ(Ipc(standin, 0, 125), 0);
  EXPECT_EQ(Ipc(standin, 0, 124), 3);
  ASSERT_TRUE(standin.SetPosition(1));
  EXPECT_EQ(Ipc(standin, 0, 125), 1);

  // The address lies in the stand-in's memory and holds the NUL-terminated
  // name; a whole 256-byte read from it always succeeds.
  const std::string first = Read256(standin, Ipc(standin, 0, 211));
  ASSERT_EQ(first.size(), 256u);
  EXPECT_EQ(first.substr(0, first.find('\0')), "C:\\Music\\A - One.mp3");
  const std::string fits = Read256(standin, Ipc(standin, 1, 211));
  ASSERT_EQ(fits.size(), 256u);
  EXPECT_EQ(fits.substr(0, 255), name255);
  EXPECT_EQ(fits[255], '\0');
  const std::string too_long = Read256(standin, Ipc(standin, 2, 211));
  ASSERT_EQ(too_long.size(), 256u);
  EXPECT_EQ(too_long, name256);        // no NUL among the 256 bytes
  EXPECT_EQ(Ipc(standin, 3, 211), 0);  // past the end: no name
}

TEST_F(StandinTest, PlayingHoldsTheFileAgainstDeleteAndMoveUntilStop) {
  const std::string song = music.File("A - Held.mp3");
  StartWith({song});

  Command(standin, 40045);
  StandinState state = standin.State();
  EXPECT_EQ(state.playback, Playback::kPlaying);
  EXPECT_EQ(state.held, song);
  EXPECT_FALSE(DeleteFileA(song.c_str()));
  EXPECT_EQ(GetLastError(), 32u);
  EXPECT_FALSE(MoveFileA(song.c_str(), music.Path("moved.mp3").c_str()));
  EXPECT_EQ(GetLastError(), 32u);

  Command(standin, 40046);
  EXPECT_EQ(standin.PlaybackState(), Playback::kPaused);
  EXPECT_FALSE(DeleteFileA(song.c_str()));  // paused still holds it

  Command(standin, 40047);
  state = standin.State();
  EXPECT_EQ(state.playback, Playback::kStopped);
  EXPECT_EQ(state.held, "");
  EXPECT_TRUE(DeleteFileA(song.c_str())) << GetLastError();
  EXPECT_EQ(state.log, (Log{"Play", "Pause", "Stop"}));
}

TEST_F(StandinTest, NextMovesOnWrapsAndPlaysOnlyWhenPlaying) {
  const std::string a = music.File("a.mp3"), b = music.File("b.mp3"), c = music.File("c.mp3");
  StartWith({a, b, c});

  Command(standin, 40048);  // stopped: only moves
  StandinState state = standin.State();
  EXPECT_EQ(state.position, 1);
  EXPECT_EQ(state.playback, Playback::kStopped);
  EXPECT_EQ(state.held, "");

  Command(standin, 40045);
  Command(standin, 40048);  // playing: plays the next, releases the last
  state = standin.State();
  EXPECT_EQ(state.position, 2);
  EXPECT_EQ(state.held, c);
  EXPECT_TRUE(DeleteFileA(b.c_str())) << GetLastError();

  Command(standin, 40048);  // from the last entry back to the first
  state = standin.State();
  EXPECT_EQ(state.position, 0);
  EXPECT_EQ(state.held, a);

  Command(standin, 40048);
  Command(standin, 40154);  // start of playlist
  EXPECT_EQ(standin.State().position, 0);
}

TEST_F(StandinTest, ClearEmptiesThePlaylistAndReleasesTheFile) {
  const std::string a = music.File("a.mp3"), b = music.File("b.mp3");
  StartWith({a, b}, /*play=*/true);
  EXPECT_EQ(standin.State().held, a);  // /play starts at entry 0
  ASSERT_TRUE(standin.SetPosition(1));
  ASSERT_TRUE(standin.ClearLog());

  Ipc(standin, Ipc(standin, 0, 125), 101);
  const StandinState state = standin.State();
  EXPECT_TRUE(state.playlist.empty());
  EXPECT_EQ(state.playback, Playback::kStopped);
  EXPECT_TRUE(DeleteFileA(b.c_str())) << GetLastError();
  EXPECT_EQ(Ipc(standin, 0, 124), 0);
  EXPECT_EQ(Ipc(standin, 0, 211), 0);
  Command(standin, 40045);  // nothing to play
  EXPECT_EQ(standin.PlaybackState(), Playback::kStopped);
  EXPECT_EQ(standin.Log(),
            (Log{"IPC_GETLISTPOS", "IPC_DELETE 1", "IPC_GETLISTLENGTH", "IPC_GETPLAYLISTFILE 0", "Play"}));
}

}  // namespace
}  // namespace vandrel::testing
