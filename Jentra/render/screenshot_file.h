// The picture a device last presented, written as a 24-bit bitmap file.
#pragma once

#include <filesystem>

#include "platform/render/device.h"

// False when the device cannot read its picture back or the file cannot be
// written (nothing is written then).
bool JTWriteFrontBufferBitmap(platform::render::Device& device, const std::filesystem::path& file);
