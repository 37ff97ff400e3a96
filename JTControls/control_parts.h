// What several controls do alike: beeps, the text geometry they show and
// where it hangs in their model, and starting a sequence of their model.
#pragma once

#include "Jentra/JTFont.h"

class JTEntity;
class JTGeoNode;

namespace jtcontrols {

// The sounds of the controls.
inline constexpr const char* kAlertBeep = "JTBeep_Alert.wav";
inline constexpr const char* kInvalidBeep = "JTBeep_Invalid.wav";
// The height of a control's text in its model's units.
inline constexpr float kTextSize = 40.0f;

// Plays a beep in the effects' volume group, once.
void PlayBeep(const char* sound);

// New text geometry on the interface font: white, unwrapped, centred on the
// origin by align; null text is empty text. Null without a font.
JTGeoNode* MakeControlText(const char* text, center align, bool dynamic);

// Deletes the control's current "text" node, if it has one.
void RemoveText(JTEntity* control);
// Hangs the text under the model's "textattach" node (the control itself
// without one), names it "text" and recomputes the control's bound. Does
// nothing for a null text.
void HangText(JTEntity* control, JTGeoNode* text);

// Starts the named sequence of the control's model from its beginning:
// active and playing; its looping set to `looping` unless keepLooping.
// False when the model has no such sequence.
bool StartSequence(JTEntity* control, const char* name, bool looping, bool keepLooping = false);

} // namespace jtcontrols
