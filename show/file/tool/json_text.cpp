#include "show/file/tool/json_text.h"

#include <set>
#include <vector>

namespace j4::show::tool {

namespace {

std::string scalarText(const Json& v) {
    return v.dump(-1, ' ', false, Json::error_handler_t::replace);
}

bool isPlainList(const Json& v) {
    for (const Json& e : v)
        if (e.is_structured()) return false;
    return true;
}

void format(const Json& v, int indent, std::string& out) {
    const std::string inner(static_cast<size_t>(indent + 2), ' ');
    if (v.is_object()) {
        if (v.empty()) {
            out += "{}";
            return;
        }
        out += "{\n";
        bool first = true;
        for (const auto& [key, member] : v.items()) {
            if (!first) out += ",\n";
            first = false;
            out += inner;
            out += scalarText(Json(key));
            out += ": ";
            format(member, indent + 2, out);
        }
        out += "\n" + std::string(static_cast<size_t>(indent), ' ') + "}";
    } else if (v.is_array()) {
        if (v.empty()) {
            out += "[]";
        } else if (isPlainList(v)) {
            out += "[";
            for (size_t i = 0; i < v.size(); ++i) {
                if (i) out += ", ";
                out += scalarText(v[i]);
            }
            out += "]";
        } else {
            out += "[\n";
            for (size_t i = 0; i < v.size(); ++i) {
                if (i) out += ",\n";
                out += inner;
                format(v[i], indent + 2, out);
            }
            out += "\n" + std::string(static_cast<size_t>(indent), ' ') + "]";
        }
    } else {
        out += scalarText(v);
    }
}

bool isIdentifier(std::string_view key) {
    if (key.empty() || (key[0] >= '0' && key[0] <= '9')) return false;
    for (char c : key)
        if (!((c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') ||
              c == '_'))
            return false;
    return true;
}

// Follows the parser through the document to name where a duplicate key sits.
template <class J>
class DuplicateKeyFinder {
  public:
    bool operator()(int /*depth*/, typename J::parse_event_t event, J& parsed) {
        using Event = typename J::parse_event_t;
        switch (event) {
            case Event::object_start:
            case Event::array_start:
                beginElement();
                frames_.push_back({event == Event::array_start, -1, {}, {}});
                break;
            case Event::value:
                beginElement();
                break;
            case Event::key: {
                Frame& top = frames_.back();
                const std::string key = parsed.template get<std::string>();
                if (!top.keys.insert(key).second && error_.empty())
                    error_ = memberPath(pathTo(frames_.size()), key) + ": key given twice";
                top.key = key;
                break;
            }
            case Event::object_end:
            case Event::array_end:
                frames_.pop_back();
                break;
        }
        return true;
    }

    const std::string& error() const { return error_; }

  private:
    struct Frame {
        bool array;
        long index;
        std::string key;
        std::set<std::string> keys;
    };

    void beginElement() {
        if (!frames_.empty() && frames_.back().array) ++frames_.back().index;
    }

    // The path of the container at frames_[count - 1], from its parents' positions.
    std::string pathTo(size_t count) const {
        std::string path = "$";
        for (size_t i = 0; i + 1 < count; ++i)
            path = frames_[i].array ? elementPath(path, static_cast<size_t>(frames_[i].index))
                                    : memberPath(path, frames_[i].key);
        return path;
    }

    std::vector<Frame> frames_;
    std::string error_;
};

template <class J>
bool parseAs(std::string_view text, J& out, std::string& error) {
    DuplicateKeyFinder<J> finder;
    try {
        J parsed = J::parse(text.begin(), text.end(),
                            [&finder](int depth, typename J::parse_event_t event, J& value) {
                                return finder(depth, event, value);
                            });
        if (!finder.error().empty()) {
            error = finder.error();
            return false;
        }
        out = std::move(parsed);
        return true;
    } catch (const nlohmann::json::exception& e) {
        error = e.what();
    } catch (const std::bad_alloc&) {
        error = "out of memory";
    }
    return false;
}

}  // namespace

bool parseJson(std::string_view text, Json& out, std::string& error) {
    return parseAs(text, out, error);
}

bool parseJson(std::string_view text, JsonInput& out, std::string& error) {
    return parseAs(text, out, error);
}

std::string formatJson(const Json& value) {
    std::string out;
    format(value, 0, out);
    out += "\n";
    return out;
}

std::string memberPath(const std::string& parent, std::string_view key) {
    if (isIdentifier(key)) return parent + "." + std::string(key);
    return parent + "[" +
           Json(std::string(key)).dump(-1, ' ', false, Json::error_handler_t::replace) + "]";
}

std::string elementPath(const std::string& parent, size_t index) {
    return parent + "[" + std::to_string(index) + "]";
}

}  // namespace j4::show::tool
