// Shared by the settings and preset tests.
#pragma once

#include "renamer/settings/ModeFields.h"

namespace kq::settings {

// Every field of every page compared member by member, so that a field the
// files forget shows up as a failure.
void ExpectSameFields(const CModeFields& a, const CModeFields& b);
// No field at its default, and texts that need every escape.
CModeFields UnusualFields();

}  // namespace kq::settings
