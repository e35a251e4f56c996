#include "InformationPage.h"

#include "HistoryPage.h"
#include "HtmlText.h"

namespace ostiva::server {

std::string RenderInformationPage(const InformationFacts& facts) {
    std::string body =
        "<p>This is the Ostiva session server. Support technicians sign in to it with the "
        "Ostiva Manager console, hand out access codes to customers over the phone, and save "
        "a short report about each customer they helped.</p>\n";
    body += "<h2>This server</h2>\n<table>\n";
    auto row = [&body](const char* name, const std::string& value) {
        body += "<tr><th>";
        body += name;
        body += "</th><td>" + HtmlEscape(value) + "</td></tr>\n";
    };
    row("Version", facts.version);
    row("Running since (UTC)", facts.startedAt);
    row("Demo customer", facts.demo.empty() ? std::string("off") : facts.demo);
    row("Accounts", std::to_string(facts.accounts));
    row("Consoles signed in", std::to_string(facts.activeConsoles));
    row("Access codes issued", std::to_string(facts.issuedCodes));
    body += "</table>\n";
    body += "<h2>Connection history</h2>\n<p>Each helper's past sessions and reports: ";
    body += "<a href=\"";
    body += kHistoryPath;
    body += "\">connection history</a>.</p>\n";
    return HtmlDocument("Ostiva information", body);
}

}  // namespace ostiva::server
