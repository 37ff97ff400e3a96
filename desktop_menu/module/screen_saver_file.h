// The user's xscreensaver preferences (~/.xscreensaver) as lines of text,
// edited so that every line not changed stays byte for byte as it was. The
// file is a list of resources ("name: value"); a line ending in '\' goes on
// in the next one. The "programs" resource lists the screen savers, one
// entry per "\n" (a backslash and an 'n'), each optionally disabled ("-"),
// with a visual ("GL:") and a quoted name before its command line; "mode:
// one" with "selected: <index>" runs just that entry.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace lumivane::menu {

class ScreenSaverFile {
public:
    explicit ScreenSaverFile(std::string_view text = {});

    std::string Text() const;
    // Nothing but blanks.
    bool Blank() const;

    // The lines of a resource outside the programs list (joined by '\n'),
    // or nothing when the file has no such resource.
    std::optional<std::string> ResourceLines(std::string_view name) const;
    // Replaces the resource's lines, or puts them at the top of the file.
    void SetResourceLines(std::string_view name, std::string_view lines);
    void RemoveResource(std::string_view name);

    // The value of "mode" ("one", "random", ...); empty without one.
    std::string Mode() const;
    // The value of "selected"; -1 without a number.
    int Selected() const;

    // The program (first word of the command) of every entry of the list,
    // in order: an entry's index is its position here.
    std::vector<std::string> Programs() const;

    // Adds an entry for the command as a line of its own at the end of the
    // list, making the list at the top of the file when there is none.
    struct AddResult {
        bool madeList = false;
        // The list's first line as it was, when it had to change.
        std::optional<std::string> oldFirstLine;
    };
    AddResult AddProgram(std::string_view displayName, std::string_view commandLine);

    // Removes the line holding exactly one entry whose program is
    // `program`; the list itself goes too when `dropEmptyList` and nothing
    // is left in it. False when there is no such line.
    bool RemoveProgramLine(std::string_view program, bool dropEmptyList);
    // Puts the list's first line back.
    void SetProgramsFirstLine(std::string_view text);

private:
    struct Line {
        std::string text;
        std::string ending; // "\n", "\r\n", or "" for a last line without one
    };
    // A resource: its name and its lines [first, last].
    struct Resource {
        std::string name;
        size_t first;
        size_t last;
    };

    std::vector<Resource> Scan() const;
    std::optional<Resource> Find(std::string_view name) const;
    std::string ValueOf(const Resource& resource) const;
    std::string NewLineEnding() const;

    std::vector<Line> lines_;
};

// The program of one entry of the list; empty for a blank entry.
std::string ProgramOfEntry(std::string_view entry);

// A command-line word the screen saver's shell reads back as `word`.
std::string QuoteForShell(std::string_view word);

} // namespace lumivane::menu
