#pragma once

namespace velunora {

// `velunora-card sync CARD` and `velunora-card reset`: the controller's own operations without
// a display. Print the final status and exit 0 only on success.
int runHeadlessSync(int argc, char** argv, const char* cardFolder);
int runHeadlessReset(int argc, char** argv);
// `velunora-card sign-in`: prints the iCloud sign-in page's address and waits for the browser
// to come back to this computer; `sign-out` forgets the session.
int runHeadlessSignIn(int argc, char** argv);
int runHeadlessSignOut(int argc, char** argv);

} // namespace velunora
