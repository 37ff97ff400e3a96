// What the mesh and effect code plugs into the engine: the geometry-part
// hooks every geometry node uses (JTMesh and JTEffect), the display's
// console text and shadow effect, and the frame's shadow pass. Installed
// once before any model loads (start-up, the data builder, tests).
#pragma once

void JTInstallRenderParts();
// Takes the parts out again and frees what they made on the display's
// device (shared effects, the ice's cube map, shadow targets, console
// texts); call it before the display goes.
void JTUninstallRenderParts();
