#include "proxy/ProxyDetection.h"

#include <chrono>
#include <condition_variable>
#include <cstdlib>
#include <deque>
#include <memory>
#include <mutex>
#include <system_error>
#include <thread>

#include "proxy/ProxyHandshakes.h"
#include "transport/SocketIPv4.h"
#include "util/Format.h"
#include "util/StringStorage.h"
#include "util/Utf.h"

#ifdef OSTIVA_HAVE_LIBPROXY
#include <proxy.h>
#endif

namespace ostiva {
namespace {

constexpr int32_t kStaticDefaultPort = 8080;
constexpr int32_t kMaxPort = 65535;

std::vector<StringStorage> SplitText(const StringStorage& text, const char16_t* delimiters) {
    size_t count = 0;
    text.Split(delimiters, nullptr, &count);
    std::vector<StringStorage> parts(count);
    if (count > 0) text.Split(delimiters, parts.data(), &count);
    parts.resize(count);
    return parts;
}

// Leading blanks skipped, digits up to the first other character; 0 without
// a digit, and 0 for a number no port can have (so it cannot overflow or
// wrap around to another port).
int32_t ReadPort(std::u16string_view text) {
    size_t i = 0;
    while (i < text.size() && (text[i] == u' ' || text[i] == u'\t')) ++i;
    int32_t port = 0;
    for (; i < text.size() && text[i] >= u'0' && text[i] <= u'9'; ++i) {
        port = port * 10 + (text[i] - u'0');
        if (port > kMaxPort) return 0;
    }
    return port;
}

std::optional<ProxyEndpoint> HostAndPort(const StringStorage& text) {
    std::vector<StringStorage> parts = SplitText(text, u":");
    if (parts.size() < 2) return std::nullopt;
    return ProxyEndpoint{parts[0].str(), ReadPort(parts[1].view())};
}

std::string_view Trim(std::string_view text) {
    while (!text.empty() && (text.front() == ' ' || text.front() == '\t')) text.remove_prefix(1);
    while (!text.empty() && (text.back() == ' ' || text.back() == '\t' || text.back() == '\r' ||
                             text.back() == '\n')) {
        text.remove_suffix(1);
    }
    return text;
}

std::string Describe(const ProxyEndpoint& endpoint) {
    return FormatNarrow("%s:%d", {ToUtf8(endpoint.host), endpoint.port});
}

}  // namespace

std::string ProxyProbeUrl() {
    return "http://" + std::string(kServiceWebHost);
}

std::optional<ProxyEndpoint> ParseProxyList(std::u16string_view text) {
    StringStorage whole(text);
    std::vector<StringStorage> entries = SplitText(whole, u";");
    return HostAndPort(entries.size() >= 2 ? entries[0] : whole);
}

std::optional<ProxyEndpoint> ParseStaticProxyText(std::u16string_view text) {
    if (text.empty()) return std::nullopt;
    StringStorage whole(text);
    if (auto endpoint = HostAndPort(whole)) return endpoint;
    return ProxyEndpoint{std::u16string(text), kStaticDefaultPort};
}

std::string ProxyTextFromUrl(std::string_view url) {
    std::string_view text = Trim(url);
    if (size_t scheme = text.find("://"); scheme != std::string_view::npos) {
        text.remove_prefix(scheme + 3);
    }
    std::string_view authority = text.substr(0, text.find('/'));
    if (size_t at = authority.rfind('@'); at != std::string_view::npos) {
        authority.remove_prefix(at + 1);
    }
    return std::string(authority);
}

std::string StaticProxyFromEnvironment(const EnvironmentLookup& lookup) {
    static constexpr const char* kNames[] = {"http_proxy",  "HTTP_PROXY", "https_proxy",
                                             "HTTPS_PROXY", "all_proxy",  "ALL_PROXY"};
    for (const char* name : kNames) {
        const char* value = lookup(name);
        if (value == nullptr) continue;
        std::string_view text = Trim(value);
        if (text.empty() || text.substr(0, 4) == "pac+") continue;
        std::string reduced = ProxyTextFromUrl(text);
        if (!reduced.empty()) return reduced;
    }
    return {};
}

std::string ProxyListFromAnswers(const std::vector<std::string>& answers) {
    std::string list;
    for (const std::string& answer : answers) {
        std::string_view text = Trim(answer);
        if (text.empty() || text.substr(0, 9) == "direct://") continue;
        std::string entry = ProxyTextFromUrl(text);
        if (entry.empty()) continue;
        if (!list.empty()) list += ';';
        list += entry;
    }
    return list;
}

#ifdef OSTIVA_HAVE_LIBPROXY
namespace {

// libproxy runs on threads of its own that live as long as the process,
// each with a factory that is never freed: freeing a factory unloads its
// modules, and a thread that used the auto-configuration module runs that
// module's thread-exit code when it ends, so neither may happen while the
// process runs. libproxy waits without limit for an auto-configuration
// script that does not arrive; a caller waits only as long as it chooses,
// and while a worker is stuck like that the next lookup gets a spare one
// (at most kMaxWorkers in all).
class LibproxyService {
  public:
    static constexpr int kMaxWorkers = 4;

    // Made once and never destroyed: a worker may still be inside libproxy
    // when the process ends.
    static LibproxyService& Instance() {
        static LibproxyService* service = new LibproxyService();
        return *service;
    }

    std::optional<std::vector<std::string>> Ask(const std::string& url, int timeoutMs) {
        auto request = std::make_shared<Request>();
        request->url = url;
        std::unique_lock<std::mutex> guard(lock_);
        if (idle_ <= int(queue_.size()) && workers_ < kMaxWorkers) {
            try {
                std::thread([this] { Serve(); }).detach();
                ++workers_;
                ++idle_;
            } catch (const std::system_error&) {
                if (workers_ == 0) return std::nullopt;
            }
        }
        queue_.push_back(request);
        changed_.notify_all();
        if (!changed_.wait_for(guard, std::chrono::milliseconds(timeoutMs),
                               [&] { return request->done; })) {
            // The answer, when it comes, is dropped with the request.
            return std::nullopt;
        }
        return std::move(request->answers);
    }

  private:
    struct Request {
        std::string url;
        bool done = false;
        std::optional<std::vector<std::string>> answers;
    };

    void Serve() {
        pxProxyFactory* factory = px_proxy_factory_new();
        for (;;) {
            std::shared_ptr<Request> request;
            {
                std::unique_lock<std::mutex> guard(lock_);
                changed_.wait(guard, [&] { return !queue_.empty(); });
                request = queue_.front();
                queue_.pop_front();
                --idle_;
            }
            std::optional<std::vector<std::string>> answers;
            if (factory) {
                if (char** proxies = px_proxy_factory_get_proxies(factory, request->url.c_str())) {
                    answers.emplace();
                    for (char** p = proxies; *p; ++p) answers->emplace_back(*p);
                    px_proxy_factory_free_proxies(proxies);
                }
            }
            std::lock_guard<std::mutex> guard(lock_);
            ++idle_;
            request->answers = std::move(answers);
            request->done = true;
            changed_.notify_all();
        }
    }

    std::mutex lock_;
    std::condition_variable changed_;
    std::deque<std::shared_ptr<Request>> queue_;
    int workers_ = 0;
    int idle_ = 0;  // workers waiting for a request
};

}  // namespace
#endif

std::optional<std::vector<std::string>> AskSystemProxies(const std::string& url, int timeoutMs) {
#ifdef OSTIVA_HAVE_LIBPROXY
    return LibproxyService::Instance().Ask(url, timeoutMs);
#else
    (void)url;
    (void)timeoutMs;
    return std::nullopt;
#endif
}

ProxyDetectionResult DetectProxyEndpoint(const ProxyDetectionSources& sources) {
    ProxyDetectionResult result;
    std::string answerNote = "no answer for the probe URL";
    if (sources.ask) {
        if (auto answers = sources.ask(ProxyProbeUrl())) {
            std::string list = ProxyListFromAnswers(*answers);
            if (auto endpoint = ParseProxyList(FromUtf8(list))) {
                result.how = "configuration answer \"" + list + "\" gives " + Describe(*endpoint);
                result.endpoint = std::move(endpoint);
                return result;
            }
            answerNote = list.empty() ? "the configuration answers direct"
                                      : "the configuration answer \"" + list + "\" has no port";
        }
    }
    if (auto endpoint = ParseStaticProxyText(FromUtf8(sources.staticText))) {
        result.how = answerNote + "; static text \"" + sources.staticText + "\" gives " +
                     Describe(*endpoint);
        result.endpoint = std::move(endpoint);
        return result;
    }
    result.how = answerNote + "; no static proxy text: nothing found";
    return result;
}

void DetectProxy(SocketIPv4& socket) {
    try {
        ProxyDetectionSources sources;
        sources.ask = [](const std::string& url) {
            return AskSystemProxies(url, kProxyDetectionTimeoutMs);
        };
        sources.staticText =
            StaticProxyFromEnvironment([](const char* name) { return std::getenv(name); });
        ProxyDetectionResult result = DetectProxyEndpoint(sources);
        socket.proxyTrace.push_back("detect proxy: " + result.how);
        if (result.endpoint) {
            socket.proxyHost.SetString(result.endpoint->host);
            socket.proxyPort = result.endpoint->port;
        }
    } catch (const std::exception&) {
        // Detection reports nothing; memory trouble here leaves the fields.
    }
}

}  // namespace ostiva
