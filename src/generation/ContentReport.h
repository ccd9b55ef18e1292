#pragma once

#include <string>
#include <string_view>

namespace stencilor {

enum class CellMode { Header, Record };

// One cell line of the report for column k (1..6) as chosen by `reportFld` (six ";"-terminated
// column texts): the file link column for "filename" in any case, field column n when the text's
// digits give n > 0, otherwise the empty text. In record mode the field cell takes field n of
// `recordLine` split by `delim`, and the link cell `relativeName`.
std::string BuildReportCell(int k, CellMode mode, std::string_view reportFld, std::string_view recordLine = {},
                            std::string_view delim = {}, std::string_view relativeName = {});

// The lines of report.html collected during a run, held as one text with CR LF line ends.
class ContentReport final {
public:
    // The opening lines with the header row made from `reportFld`.
    void start(std::string_view reportFld);
    // One record row for a saved file.
    void addRow(std::string_view reportFld, std::string_view recordLine, std::string_view delim,
                std::string_view relativeName);
    // The closing lines.
    void finish();

    // Everything appended so far, every line followed by CR LF.
    const std::string& text() const { return m_text; }
    bool empty() const { return m_text.empty(); }
    void clear() { m_text.clear(); }

private:
    void appendLine(std::string_view line);
    std::string m_text;
};

} // namespace stencilor
