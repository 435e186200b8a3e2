#pragma once

#include "platform/platform.h"

namespace vev {

// Placeholder; the scripted fake arrives with the window tests.
class FakePlatform : public Platform {};

} // namespace vev
