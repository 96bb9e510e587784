// The wiring of the features to each other: the hooks through which a feature reaches one
// above it, installed once at start-up.
#pragma once

void InstallHooks();
