// Test helpers: capture std::cout, and run a program for its output and status.
#ifndef TESTS_CAPTURE_H
#define TESTS_CAPTURE_H

#include <cstdio>
#include <iostream>
#include <sstream>
#include <string>
#include <sys/wait.h>

// Redirects std::cout into a string for the life of the object.
class CoutCapture {
public:
    CoutCapture() : old_(std::cout.rdbuf(buf_.rdbuf())) {}
    ~CoutCapture() { std::cout.rdbuf(old_); }
    CoutCapture(const CoutCapture&) = delete;
    CoutCapture& operator=(const CoutCapture&) = delete;

    std::string str() const { return buf_.str(); }

private:
    std::ostringstream buf_;
    std::streambuf* old_;
};

struct RunResult {
    std::string out;  // standard output only
    int status;       // exit status, or -1 if it did not exit normally
};

// Runs a shell command line and collects its standard output and exit status.
inline RunResult run_command(const std::string& cmd) {
    RunResult r{"", -1};
    FILE* p = popen(cmd.c_str(), "r");
    if (!p) return r;
    char chunk[4096];
    size_t n;
    while ((n = fread(chunk, 1, sizeof chunk, p)) > 0) r.out.append(chunk, n);
    int st = pclose(p);
    if (st != -1 && WIFEXITED(st)) r.status = WEXITSTATUS(st);
    return r;
}

// The path of a fixture in tests/data.
inline std::string data_path(const std::string& name) { return std::string(TEST_DATA_DIR) + "/" + name; }

#endif
