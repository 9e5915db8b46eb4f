#pragma once

#include "platform/Services.h"

#include <QString>

// Which backends the loader hands out.
enum class PlatformKind { Linux, Null };

// The kind asked for by the environment: TAVRIN_PLATFORM=null gives the null backends (no camera,
// no dial-up entries, silence, no mail accounts, no desktop folders or volumes), anything else the
// Linux ones.
PlatformKind PlatformKindFromEnvironment();

PlatformServices LoadPlatformServices(PlatformKind kind = PlatformKindFromEnvironment());
