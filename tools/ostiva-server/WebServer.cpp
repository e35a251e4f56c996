#include "WebServer.h"

#include <fcntl.h>
#include <httplib.h>
#include <sys/socket.h>

#include <chrono>
#include <stdexcept>
#include <thread>

#include "Account.h"
#include "Clock.h"
#include "HistoryPage.h"
#include "HtmlText.h"
#include "InformationPage.h"
#include "Log.h"
#include "ServerCore.h"

namespace ostiva::server {

namespace {

constexpr const char* kHtml = "text/html; charset=utf-8";
constexpr const char* kVersion = "1.0";

// A request is a request line and a few headers; nothing is ever posted.
constexpr size_t kMaxPayload = 16 * 1024;
constexpr time_t kTimeoutSeconds = 5;

std::string Parameter(const httplib::Request& request, const char* name, size_t maxBytes) {
    return request.has_param(name) ? CleanInput(request.get_param_value(name), maxBytes)
                                   : std::string();
}

bool OnDay(const ConsoleSession& session, const std::string& day) {
    return session.beganAt.compare(0, 10, day) == 0 || session.endedAt.compare(0, 10, day) == 0;
}

void ErrorPage(httplib::Response& response, int status, const std::string& what) {
    response.status = status;
    response.set_content(HtmlDocument(what, "<p><a href=\"/info\">Information</a></p>\n"), kHtml);
}

}  // namespace

bool AllowedHost(const std::string& host, uint16_t port) {
    std::string lower;
    for (char c : host) lower += char(c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c);
    std::string suffix = ":" + std::to_string(port);
    for (const char* name : {"127.0.0.1", "localhost", "[::1]"}) {
        if (lower == name + suffix) return true;
    }
    return false;
}

WebServer::WebServer(ServerCore& core, uint16_t port, std::string demo)
    : core_(core),
      demo_(std::move(demo)),
      startedAt_(NowText()),
      http_(std::make_unique<httplib::Server>()) {
    httplib::Server& http = *http_;
    // The listener is close-on-exec like every other descriptor of the
    // server. (The library accepts connections without SOCK_CLOEXEC; the
    // server starts no programs that could inherit them.)
    http.set_socket_options([](socket_t fd) {
        int on = 1;
        ::setsockopt(fd, SOL_SOCKET, SO_REUSEADDR, &on, sizeof on);
        ::fcntl(fd, F_SETFD, FD_CLOEXEC);
    });
    http.set_payload_max_length(kMaxPayload);
    http.set_read_timeout(kTimeoutSeconds);
    http.set_write_timeout(kTimeoutSeconds);
    http.set_keep_alive_timeout(kTimeoutSeconds);
    http.set_default_headers(
        {{"Cache-Control", "no-store"}, {"X-Content-Type-Options", "nosniff"}});

    // Before any page: the Host check (see AllowedHost).
    http.set_pre_routing_handler(
        [this](const httplib::Request& request, httplib::Response& response) {
            if (AllowedHost(request.get_header_value("Host"), port_)) {
                return httplib::Server::HandlerResponse::Unhandled;
            }
            ErrorPage(response, 421, "Misdirected request");
            return httplib::Server::HandlerResponse::Handled;
        });
    http.Get(kHistoryPath, [this](const httplib::Request& request, httplib::Response& response) {
        HistoryQuery query;
        query.helperId = Parameter(request, "hid", kMaxHelperIdBytes);
        if (query.helperId.empty()) {
            response.set_content(RenderHistoryFormPage(), kHtml);
            return;
        }
        HistoryPageData data;
        std::string date = Parameter(request, "date", 16);
        if (!date.empty() && !IsDateText(date)) {
            data.problem =
                "The date \"" + date + "\" is not of the form YYYY-MM-DD; every day is shown.";
        } else {
            query.date = date;
        }
        query.customer = Parameter(request, "customer", kMaxCustomerBytes);
        data.account = core_.db().FindAccount(query.helperId);
        data.sessions =
            CollectHistory(core_.timeline().Codes(), core_.db().Reports(query.helperId), query);
        for (auto& signIn : core_.db().ConsoleSessions(query.helperId, kShownSignIns)) {
            if (query.date.empty() || OnDay(signIn, query.date))
                data.signIns.push_back(std::move(signIn));
        }
        data.query = std::move(query);
        response.set_content(RenderHistoryPage(data), kHtml);
    });
    http.Get(kInformationPath, [this](const httplib::Request&, httplib::Response& response) {
        InformationFacts facts;
        facts.version = kVersion;
        facts.startedAt = startedAt_;
        facts.demo = demo_;
        facts.accounts = core_.db().Accounts().size();
        facts.activeConsoles = core_.ActiveHelpers().size();
        facts.issuedCodes = core_.timeline().Codes().size();
        response.set_content(RenderInformationPage(facts), kHtml);
    });
    http.Get("/", [](const httplib::Request&, httplib::Response& response) {
        response.set_redirect(kInformationPath);
    });
    http.set_error_handler([](const httplib::Request&, httplib::Response& response) {
        if (response.status == 404)
            ErrorPage(response, 404, "Page not found");
        else if (response.status == 405 || response.status == 400)
            ErrorPage(response, response.status, "Bad request");
    });
    http.set_exception_handler(
        [](const httplib::Request& request, httplib::Response& response, std::exception_ptr error) {
            std::string what = "unknown error";
            try {
                if (error) std::rethrow_exception(error);
            } catch (const std::exception& e) {
                what = e.what();
            } catch (...) {
            }
            Log("web page " + request.path + ": " + what);
            ErrorPage(response, 500, "The page could not be made");
        });

    if (port == 0) {
        int bound = http.bind_to_any_port("127.0.0.1");
        if (bound <= 0) throw std::runtime_error("cannot listen for web pages on 127.0.0.1");
        port_ = uint16_t(bound);
    } else {
        if (!http.bind_to_port("127.0.0.1", port)) {
            throw std::runtime_error("cannot listen for web pages on 127.0.0.1:" +
                                     std::to_string(port));
        }
        port_ = port;
    }
}

WebServer::~WebServer() {
    Stop();
}

void WebServer::Run() {
    {
        std::lock_guard<std::mutex> guard(lock_);
        if (stopping_) return;
        entered_ = true;
    }
    http_->listen_after_bind();
    finished_.store(true);
}

void WebServer::Stop() {
    {
        std::lock_guard<std::mutex> guard(lock_);
        stopping_ = true;
        if (!entered_) return;
    }
    // Run may not have begun listening yet; the library's stop only ends a
    // server that is running.
    auto end = std::chrono::steady_clock::now() + std::chrono::seconds(5);
    while (!http_->is_running() && !finished_.load() && std::chrono::steady_clock::now() < end) {
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    http_->stop();
}

}  // namespace ostiva::server
