#pragma once

#include "platform/Services.h"

#include <QString>

// Which backends the loader hands out.
enum class PlatformKind { Linux, Null };
// Which camera: the platform's, or the synthetic one.
enum class CameraKind { Platform, Test };

// The kind asked for by the environment: TAVRIN_PLATFORM=null gives the null backends (no camera,
// no dial-up entries, silence, no mail accounts, no desktop folders or volumes), anything else the
// Linux ones.
PlatformKind PlatformKindFromEnvironment();
// TAVRIN_CAMERA=test gives the synthetic camera (with either platform kind), anything else the
// platform's cameras.
CameraKind CameraKindFromEnvironment();

PlatformServices LoadPlatformServices(PlatformKind kind = PlatformKindFromEnvironment(),
                                      CameraKind camera = CameraKindFromEnvironment());
