// A small reader for the harness's state dumps: objects, arrays, numbers,
// strings, true/false/null. Enough for tests, not a general JSON library.
#pragma once
#include <cctype>
#include <cstdlib>
#include <map>
#include <memory>
#include <string>
#include <vector>

namespace json_lite {

struct Value {
    enum Kind { Null, Bool, Number, String, Array, Object } kind = Null;
    double number = 0;
    std::string text;
    std::vector<Value> items;
    std::map<std::string, Value> fields;

    const Value& operator[](const std::string& key) const {
        static const Value none;
        auto it = fields.find(key);
        return it == fields.end() ? none : it->second;
    }
    const Value& operator[](size_t i) const {
        static const Value none;
        return i < items.size() ? items[i] : none;
    }
    double Num() const { return number; }
    int Int() const { return static_cast<int>(number); }
    size_t Size() const { return items.size(); }
};

class Parser {
public:
    explicit Parser(const std::string& s) : s_(s) {}
    bool Parse(Value* out) {
        bool ok = ParseValue(out);
        Skip();
        return ok && i_ == s_.size();
    }

private:
    void Skip() {
        while (i_ < s_.size() && std::isspace(static_cast<unsigned char>(s_[i_]))) ++i_;
    }
    bool ParseValue(Value* v) {
        Skip();
        if (i_ >= s_.size()) return false;
        const char c = s_[i_];
        if (c == '{') return ParseObject(v);
        if (c == '[') return ParseArray(v);
        if (c == '"') {
            v->kind = Value::String;
            return ParseString(&v->text);
        }
        if (s_.compare(i_, 4, "true") == 0) { v->kind = Value::Bool; v->number = 1; i_ += 4; return true; }
        if (s_.compare(i_, 5, "false") == 0) { v->kind = Value::Bool; i_ += 5; return true; }
        if (s_.compare(i_, 4, "null") == 0) { i_ += 4; return true; }
        char* end = nullptr;
        v->number = std::strtod(s_.c_str() + i_, &end);
        if (end == s_.c_str() + i_) return false;
        v->kind = Value::Number;
        i_ = static_cast<size_t>(end - s_.c_str());
        return true;
    }
    bool ParseString(std::string* out) {
        ++i_;
        while (i_ < s_.size() && s_[i_] != '"') {
            if (s_[i_] == '\\' && i_ + 1 < s_.size()) {
                ++i_;
                if (s_[i_] == 'u' && i_ + 4 < s_.size()) {
                    out->push_back(static_cast<char>(std::strtol(s_.substr(i_ + 1, 4).c_str(), nullptr, 16)));
                    i_ += 5;
                    continue;
                }
            }
            out->push_back(s_[i_++]);
        }
        if (i_ >= s_.size()) return false;
        ++i_;
        return true;
    }
    bool ParseArray(Value* v) {
        v->kind = Value::Array;
        ++i_;
        Skip();
        if (i_ < s_.size() && s_[i_] == ']') { ++i_; return true; }
        while (true) {
            v->items.emplace_back();
            if (!ParseValue(&v->items.back())) return false;
            Skip();
            if (i_ < s_.size() && s_[i_] == ',') { ++i_; continue; }
            if (i_ < s_.size() && s_[i_] == ']') { ++i_; return true; }
            return false;
        }
    }
    bool ParseObject(Value* v) {
        v->kind = Value::Object;
        ++i_;
        Skip();
        if (i_ < s_.size() && s_[i_] == '}') { ++i_; return true; }
        while (true) {
            Skip();
            std::string key;
            if (i_ >= s_.size() || s_[i_] != '"' || !ParseString(&key)) return false;
            Skip();
            if (i_ >= s_.size() || s_[i_] != ':') return false;
            ++i_;
            if (!ParseValue(&v->fields[key])) return false;
            Skip();
            if (i_ < s_.size() && s_[i_] == ',') { ++i_; continue; }
            if (i_ < s_.size() && s_[i_] == '}') { ++i_; return true; }
            return false;
        }
    }
    const std::string& s_;
    size_t i_ = 0;
};

inline bool Parse(const std::string& text, Value* out) { return Parser(text).Parse(out); }

}  // namespace json_lite
