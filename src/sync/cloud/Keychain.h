#pragma once

#include <QString>

// The secrets of the stores (a WebDAV password, an iCloud sign-in) in the desktop's Secret
// Service, under the service name "Velunora Sync"; never in the settings file. Every call blocks
// until the keyring answers, from any thread: the jobs themselves run on the main thread, which
// QtKeychain requires, so a call from the main thread spins a local event loop.
namespace velunora::keychain {

enum class Outcome {
    done,
    notFound,     // nothing stored under that key
    accessDenied, // the user or the keyring refused
    unavailable,  // no Secret Service, no application object, or no answer in time
};

struct Secret {
    Outcome outcome = Outcome::unavailable;
    QString text;
};

Secret read(const QString& key);
Outcome write(const QString& key, const QString& text);
// Removing what is not there is done.
Outcome remove(const QString& key);

} // namespace velunora::keychain
