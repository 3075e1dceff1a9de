#pragma once

#include <string>

// Points the prefix's http open command at a command that appends what it is handed to a file (or at
// any command), and reads that file.
class UrlRecorder {
public:
    UrlRecorder();

    // Makes the open command the recording one.
    bool Record() const;
    // Replaces the open command, e.g. with a program that does not exist.
    bool SetCommand(const std::wstring& command) const;
    // What was recorded, one line per open, once it has that many lines (or after 10 s).
    std::string Recorded(size_t lines) const;

private:
    std::wstring m_record;
};
