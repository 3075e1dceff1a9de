#pragma once

#include <string>

// Points the prefix's http open command at the recorder program (or any command), and reads what
// the recorder received.
class UrlRecorder {
public:
    UrlRecorder();

    bool Ready() const { return m_ready; }
    // Replaces the open command, e.g. with a program that does not exist.
    bool SetCommand(const std::wstring& command) const;
    // What the recorder wrote, once it has written that many lines (or after 10 s).
    std::string Recorded(size_t lines) const;

private:
    bool m_ready = false;
    std::wstring m_record;
};
