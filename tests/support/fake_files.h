#pragma once

#include <map>
#include <new>
#include <memory>
#include <string>
#include <vector>

#include "run/platform.h"
#include "support/memory_streams.h"

namespace quorvel::test {

// Files and a console held in memory, for running the whole sequence in
// process. Every open and close is logged, so tests can see the order of the
// run's steps.
class FakeFiles final : public FileSystem {
public:
    struct ListFault {
        std::size_t fail_after = std::string::npos;
        std::int32_t error = 0;
        bool out_of_memory = false;  // the first read throws std::bad_alloc
    };

    void add_list(const std::string& name, std::string bytes, ListFault fault)
    {
        lists_[name] = {std::move(bytes), fault};
    }
    void add_list(const std::string& name, std::string bytes)
    {
        add_list(name, std::move(bytes), ListFault{});
    }

    Opened<InputStream> open_list(const std::string& path) override
    {
        log.push_back("open " + path);
        const auto found = lists_.find(path);
        if (found == lists_.end())
            return {nullptr, 1};
        const auto& [bytes, fault] = found->second;
        return {std::make_unique<LoggedInput>(*this, path, bytes, fault), 0};
    }

    Opened<OutputStream> open_report(const std::string& path, const InputStream&) override
    {
        log.push_back("create " + path);
        if (report_open_error != 0)
            return {nullptr, report_open_error};
        reports[path].clear();
        return {std::make_unique<ReportOutput>(*this, path), 0};
    }

    std::vector<std::string> log;
    std::map<std::string, std::string> reports;
    std::int32_t report_open_error = 0;
    std::int32_t report_write_error = 0;  // every write fails with it when set

private:
    class LoggedInput final : public InputStream {
    public:
        LoggedInput(FakeFiles& files, std::string name, const std::string& bytes, ListFault fault)
            : files_(files),
              name_(std::move(name)),
              input_(bytes, 1 << 20, fault.fail_after, fault.error),
              out_of_memory_(fault.out_of_memory)
        {
        }
        IoResult read(std::span<char> buffer) override
        {
            if (out_of_memory_)
                throw std::bad_alloc();
            return input_.read(buffer);
        }
        std::int32_t close() override
        {
            if (!closed_)
                files_.log.push_back("close " + name_);
            closed_ = true;
            return 0;
        }
        ~LoggedInput() override { close(); }

    private:
        FakeFiles& files_;
        std::string name_;
        MemoryInput input_;
        bool out_of_memory_;
        bool closed_ = false;
    };

    class ReportOutput final : public OutputStream {
    public:
        ReportOutput(FakeFiles& files, std::string name) : files_(files), name_(std::move(name)) {}
        IoResult write(std::span<const char> bytes) override
        {
            if (files_.report_write_error != 0)
                return {0, files_.report_write_error};
            files_.reports[name_].append(bytes.data(), bytes.size());
            return {bytes.size(), 0};
        }
        std::int32_t close() override
        {
            if (!closed_)
                files_.log.push_back("close " + name_);
            closed_ = true;
            return 0;
        }
        ~ReportOutput() override { close(); }

    private:
        FakeFiles& files_;
        std::string name_;
        bool closed_ = false;
    };

    std::map<std::string, std::pair<std::string, ListFault>> lists_;
};

class FakeConsole final : public Console {
public:
    std::int32_t write(std::string_view text) override
    {
        written.append(text);
        return 0;
    }
    std::string written;
};

}  // namespace quorvel::test
