// A help file as the compiler sees it once the source is read: topics made of
// paragraphs made of runs of text in one font, some of them jumps.
#pragma once

#include <cstdint>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

namespace hlpc {

// The fonts every help file of ours carries, by their number in |FONT.
enum class Font : std::uint16_t { Body = 0, Bold = 1, Heading = 2 };

struct TextRun {
    std::string text;  // code page 1252
    Font font = Font::Body;
    std::string jump;  // context name of the topic it jumps to; empty for plain text
    int line = 0;      // source line, for messages
};

// Spacing and indents, in half-points.
struct ParagraphFormat {
    std::int32_t spaceAbove = 0;
    std::int32_t spaceBelow = 0;
    std::int32_t leftIndent = 0;
    std::int32_t firstLineIndent = 0;
};

struct Paragraph {
    std::vector<TextRun> runs;
    ParagraphFormat format;
    int line = 0;
};

struct Topic {
    std::string contextName;
    std::optional<std::uint32_t> mapNumber;  // what HELP_CONTEXT asks for
    std::string title;                       // code page 1252
    std::vector<Paragraph> paragraphs;
    int line = 0;       // of .topic
    int titleLine = 0;  // of .title
};

struct HelpProject {
    std::string title;  // the help file's own title (code page 1252)
    std::string copyright;
    int titleLine = 0;  // source lines of .help and .copyright, for messages
    int copyrightLine = 0;
    std::uint32_t generated = 0;  // Unix time stamped into the file
    std::vector<Topic> topics;    // the first is the contents page
};

// A source or content fault, with the source line it belongs to (0: none).
class CompileError : public std::runtime_error {
  public:
    CompileError(int line, const std::string& message) : std::runtime_error(message), line_(line) {}
    int line() const { return line_; }

  private:
    int line_;
};

}  // namespace hlpc
