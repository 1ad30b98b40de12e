#pragma once

#include <QString>
#include <exception>

namespace velunora {

// The text a failure shows the user: the error's own French description, or ours for a
// library's English one.
QString describeFailure(std::exception_ptr error);

// Routes the core's French texts through Qt's translation, once per process (its composition
// root calls it).
void installQtLocalization();

} // namespace velunora
