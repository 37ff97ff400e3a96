// What the mesh and effect code plugs into the engine: the geometry-part
// hooks every geometry node uses (JTMesh and JTEffect), the display's
// console text and shadow effect, and the frame's shadow pass. Installed
// once before any model loads (start-up, the data builder, tests).
#pragma once

void JTInstallRenderParts();
// Takes the display's and the frame's hooks out again and frees what the
// parts made on the display's device (shared effects, the ice's cube map,
// shadow targets, console texts); call it before the display goes. The
// geometry-part hooks stay, so that meshes and effects can still be
// deleted with whatever owns them.
void JTUninstallRenderParts();
