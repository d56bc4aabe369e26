// An output stream that appends to a byte vector in memory: the page's live
// recording and the API's drives write through it, so the bytes can be read
// out at any time without a flush or a file.
#pragma once

#include <cstdint>
#include <ostream>
#include <streambuf>
#include <vector>

class ByteSinkBuf : public std::streambuf {
public:
    explicit ByteSinkBuf(std::vector<uint8_t>& bytes) : bytes_(bytes) {}

protected:
    std::streamsize xsputn(const char* s, std::streamsize n) override {
        bytes_.insert(bytes_.end(), reinterpret_cast<const uint8_t*>(s), reinterpret_cast<const uint8_t*>(s) + n);
        return n;
    }
    int_type overflow(int_type ch) override {
        if (!traits_type::eq_int_type(ch, traits_type::eof())) bytes_.push_back(static_cast<uint8_t>(ch));
        return traits_type::not_eof(ch);
    }

private:
    std::vector<uint8_t>& bytes_;
};

class ByteSinkStream : public std::ostream {
public:
    explicit ByteSinkStream(std::vector<uint8_t>& bytes) : std::ostream(nullptr), buf_(bytes) { rdbuf(&buf_); }

private:
    ByteSinkBuf buf_;
};
