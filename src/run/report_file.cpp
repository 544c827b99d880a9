#include "run/report_file.h"

namespace quorvel {

namespace {
constexpr std::size_t write_size = 64 * 1024;
}

ReportFile::ReportFile(std::unique_ptr<OutputStream> stream, ErrorIndicator& errors)
    : stream_(std::move(stream)), errors_(errors)
{
    pending_.reserve(write_size + 1024);
}

ReportFile::~ReportFile() { close(); }

void ReportFile::write_if_full()
{
    if (pending_.size() >= write_size)
        write_pending();
}

void ReportFile::write_pending()
{
    if (stream_ && !pending_.empty())
        errors_.note(stream_->write(pending_).error);
    pending_.clear();
}

void ReportFile::close()
{
    if (!stream_)
        return;
    write_pending();
    errors_.note(stream_->close());
    stream_.reset();
}

}  // namespace quorvel
