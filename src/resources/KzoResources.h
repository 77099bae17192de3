#pragma once
// Registers the compiled-in pictures. A static library's resource object is only
// linked when something refers to it, so every user calls this once (repeat calls are harmless).
namespace kzo {
void initResources();
}
