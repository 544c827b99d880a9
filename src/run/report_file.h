#pragma once

#include <memory>
#include <string>

#include "run/error_indicator.h"
#include "run/platform.h"

namespace quorvel {

// The report file behind one write buffer. Text is appended to text() and
// goes to the file whenever a buffer's worth has gathered. A failed write is
// noted in the run's error indicator, where the run's next check finds it.
//
// However the run ends, the destructor writes what is still buffered and
// closes the file, so a report cut short by a stop keeps every line written
// before it.
class ReportFile {
public:
    ReportFile(std::unique_ptr<OutputStream> stream, ErrorIndicator& errors);
    ReportFile(const ReportFile&) = delete;
    ReportFile& operator=(const ReportFile&) = delete;
    ~ReportFile();

    std::string& text() { return pending_; }
    // Writes the buffer out once it is full.
    void write_if_full();
    // Writes everything and closes the file.
    void close();

private:
    void write_pending();

    std::unique_ptr<OutputStream> stream_;
    ErrorIndicator& errors_;
    std::string pending_;
};

}  // namespace quorvel
