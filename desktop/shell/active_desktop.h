// Turning the animated desktop on and off. Turning on saves the user's
// desktop options and wallpaper in the user key and makes the product page
// (the machine value "html", recorded by turning on when no installation
// named one) the wallpaper; turning off, and the program's own restore when
// it cannot run or must stop, put the saved state back, and turning off
// clears "html". The menu compiles these in too.
#pragma once

namespace lumivane {

// The menu's commands; each opens its own settings key. They answer 0.
int TurnOn();
int TurnOff();

// The desktop program's restore, through its `Registry` (nothing happens
// before that exists); signals "Lumivane: Exe Turn Off" before applying
// when the program made its named objects. Answers 0.
int RestoreDesktop();

// The same from a thread that must not share the program's settings
// connection (the crash reporter's): it reads through one of its own.
int RestoreDesktopOnOwnConnection();

} // namespace lumivane
