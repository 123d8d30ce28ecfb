// Writes the same .x content as text, as binary (32- or 64-bit floats), and
// MSZip-compresses either, so the encodings can be checked against each other.
#pragma once
#include <zlib.h>

#include <cstdint>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

class XWriter {
public:
    virtual ~XWriter() = default;
    virtual void Begin(const char* type, const char* name) = 0;  // type [name] {
    virtual void End() = 0;                                       // }
    virtual void Ints(const std::vector<uint32_t>& v) = 0;
    virtual void Floats(const std::vector<float>& v) = 0;
    virtual void String(const std::string& s) = 0;
    virtual void Ref(const char* name) = 0;  // { name }
    virtual std::vector<uint8_t> Bytes() const = 0;
};

class XTextWriter : public XWriter {
public:
    XTextWriter() { out_ = "xof 0303txt 0032\n"; }
    void Begin(const char* type, const char* name) override {
        out_ += std::string(type) + (name ? std::string(" ") + name : "") + " {\n";
    }
    void End() override { out_ += "}\n"; }
    void Ints(const std::vector<uint32_t>& v) override {
        for (uint32_t x : v) out_ += std::to_string(x) + ";";
        out_ += "\n";
    }
    void Floats(const std::vector<float>& v) override {
        char buf[32];
        for (float x : v) {
            std::snprintf(buf, sizeof buf, "%.9g;", double(x));
            out_ += buf;
        }
        out_ += "\n";
    }
    void String(const std::string& s) override { out_ += "\"" + s + "\";\n"; }
    void Ref(const char* name) override { out_ += std::string("{ ") + name + " }\n"; }
    std::vector<uint8_t> Bytes() const override { return {out_.begin(), out_.end()}; }

private:
    std::string out_;
};

class XBinaryWriter : public XWriter {
public:
    explicit XBinaryWriter(bool doubles) : doubles_(doubles) {
        const char* h = doubles ? "xof 0303bin 0064" : "xof 0303bin 0032";
        out_.assign(h, h + 16);
    }
    void Begin(const char* type, const char* name) override {
        Name(type);
        if (name) Name(name);
        Word(10);
    }
    void End() override { Word(11); }
    void Ints(const std::vector<uint32_t>& v) override {
        Word(6);
        Dword(uint32_t(v.size()));
        for (uint32_t x : v) Dword(x);
        Word(20);
    }
    void Floats(const std::vector<float>& v) override {
        Word(7);
        Dword(uint32_t(v.size()));
        for (float x : v) {
            if (doubles_) {
                double d = x;
                Raw(&d, 8);
            } else {
                Raw(&x, 4);
            }
        }
        Word(20);
    }
    void String(const std::string& s) override {
        Word(2);
        Dword(uint32_t(s.size()));
        Raw(s.data(), s.size());
        Word(20);
    }
    void Ref(const char* name) override {
        Word(10);
        Name(name);
        Word(11);
    }
    std::vector<uint8_t> Bytes() const override { return out_; }

private:
    void Raw(const void* p, size_t n) {
        const uint8_t* b = static_cast<const uint8_t*>(p);
        out_.insert(out_.end(), b, b + n);
    }
    void Word(uint16_t w) { Raw(&w, 2); }
    void Dword(uint32_t d) { Raw(&d, 4); }
    void Name(const char* s) {
        Word(1);
        Dword(uint32_t(std::strlen(s)));
        Raw(s, std::strlen(s));
    }
    bool doubles_;
    std::vector<uint8_t> out_;
};

// MSZip form of an uncompressed .x file: blocks of at most 32 KiB, each a
// raw deflate stream primed with the previous block as its dictionary.
inline std::vector<uint8_t> MsZipCompress(const std::vector<uint8_t>& file) {
    std::vector<uint8_t> out(file.begin(), file.begin() + 16);
    std::memcpy(out.data() + 8, std::memcmp(file.data() + 8, "txt ", 4) == 0 ? "tzip" : "bzip", 4);
    uint32_t total = uint32_t(file.size());
    out.insert(out.end(), reinterpret_cast<uint8_t*>(&total), reinterpret_cast<uint8_t*>(&total) + 4);
    for (size_t pos = 16; pos < file.size();) {
        size_t plain = file.size() - pos < 32768 ? file.size() - pos : 32768;
        z_stream zs{};
        deflateInit2(&zs, 9, Z_DEFLATED, -MAX_WBITS, 8, Z_DEFAULT_STRATEGY);
        if (pos > 16) {
            size_t dict = pos - 16 < 32768 ? pos - 16 : 32768;
            deflateSetDictionary(&zs, file.data() + pos - dict, uInt(dict));
        }
        std::vector<uint8_t> packed(deflateBound(&zs, uLong(plain)) + 16);
        zs.next_in = const_cast<Bytef*>(file.data() + pos);
        zs.avail_in = uInt(plain);
        zs.next_out = packed.data();
        zs.avail_out = uInt(packed.size());
        deflate(&zs, Z_FINISH);
        size_t n = packed.size() - zs.avail_out;
        deflateEnd(&zs);
        uint16_t sizes[2] = {uint16_t(plain), uint16_t(n + 2)};
        out.insert(out.end(), reinterpret_cast<uint8_t*>(sizes), reinterpret_cast<uint8_t*>(sizes) + 4);
        out.push_back('C');
        out.push_back('K');
        out.insert(out.end(), packed.begin(), packed.begin() + long(n));
        pos += plain;
    }
    return out;
}
