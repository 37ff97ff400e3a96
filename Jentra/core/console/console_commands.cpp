// The console's commands: one table of switches, the few commands with
// their own action, and the recall of the last command from the settings.
#include "Jentra/JTConsole.h"

#include "Jentra/core/console/console_services.h"

#include <cstdlib>
#include <cstring>
#include <strings.h>

namespace {

bool* gDisplayFlags[JTCONSOLE_NUM_DISPLAY_FLAGS] = {};

struct SwitchCommand {
    const char* word;
    int displayFlag; // JTConsoleDisplayFlag, or -1 for the console's statistics
};

const SwitchCommand kSwitches[] = {
    {"bound", JTCONSOLE_BOUND},     {"stats", -1},
    {"tex", JTCONSOLE_TEX},         {"wire", JTCONSOLE_WIRE},
    {"edge", JTCONSOLE_EDGE},       {"light", JTCONSOLE_LIGHT},
    {"benmark", JTCONSOLE_BENMARK},
};

enum class SwitchAction { Toggle, On, Off };

// Whether line is "<word>", "<word> on" or "<word> off" (any case).
bool MatchSwitch(const char* line, const char* word, SwitchAction* action) {
    size_t n = std::strlen(word);
    if (strncasecmp(line, word, n) != 0) return false;
    const char* rest = line + n;
    if (*rest == '\0') {
        *action = SwitchAction::Toggle;
        return true;
    }
    if (strcasecmp(rest, " on") == 0) {
        *action = SwitchAction::On;
        return true;
    }
    if (strcasecmp(rest, " off") == 0) {
        *action = SwitchAction::Off;
        return true;
    }
    return false;
}

void ApplySwitch(bool* flag, SwitchAction action) {
    if (!flag) return;
    switch (action) {
    case SwitchAction::Toggle:
        *flag = !*flag;
        break;
    case SwitchAction::On:
        *flag = true;
        break;
    case SwitchAction::Off:
        *flag = false;
        break;
    }
}

} // namespace

void JTConsole::BindDisplayFlag(JTConsoleDisplayFlag which, bool* target) {
    if (which >= 0 && which < JTCONSOLE_NUM_DISPLAY_FLAGS) gDisplayFlags[which] = target;
}

void JTConsole::ProcessInput(char* line) {
    if (!line || !*line) return;
    if (strcasecmp(line, "/") == 0 || strcasecmp(line, "last") == 0) {
        // With nothing kept the recalled line is empty, which no command
        // matches: the user hears and reads that there was nothing to repeat.
        jentra_console::LoadLastCommand(inputLine, sizeof inputLine);
        Print(inputLine);
        Print("\n");
        line = inputLine;
    }
    jentra_console::SaveLastCommand(line);
    if (RunCommand(line))
        jentra_console::Beep("JTBeep_Alert.wav");
    else {
        jentra_console::Beep("JTBeep_Invalid.wav");
        Print("-UNRECOGNIZED COMMAND-\n");
    }
}

bool JTConsole::RunCommand(const char* line) {
    SwitchAction action;
    for (const SwitchCommand& command : kSwitches) {
        if (!MatchSwitch(line, command.word, &action)) continue;
        ApplySwitch(command.displayFlag < 0 ? &stats : gDisplayFlags[command.displayFlag], action);
        return true;
    }
    if (strcasecmp(line, "cls") == 0) {
        text[0] = '\0';
        return true;
    }
    if (strncasecmp(line, "create ", 7) == 0) {
        RunCreate(line + 7);
        return true;
    }
    if (strcasecmp(line, "fatalerror") == 0) {
        jentra_console::FatalError();
        return true;
    }
    return false;
}
