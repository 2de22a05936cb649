#include "core/WebLinks.h"

#include <QStringList>

namespace verdane {

namespace {
struct Link {
    const char* entry;
    const char* path; // on the site; a leading "mailto:" makes it a mail link, "" the home page
};

constexpr Link kLinks[] = {
    {"mnuFileUpdate", "/verdane/updates.html"},
    {"mnuWebsiteOtherStuffSiteNewsAndUpdates", "/newsupdates.html"},
    {"mnuWebsiteOtherStuffVisualBasicForums", "/discus/"},
    {"mnuWebsiteOtherStuffTools", "/tools/tools.html"},
    {"mnuWebsiteOtherStuffVisualBasicJobs", "/vbjobs.html"},
    {"mnuWebsiteOtherStuffLinks", "/links.html"},
    {"mnuWebsiteOtherStuffAdvertising", "/advertise.html"},
    {"mnuWebsiteOtherStuffWebsiteOfTheMonth", "/websiteofthemonth.html"},
    {"mnuWebsiteTutorialsMakeYourApplicationsShareware", "/papers/shareware.html"},
    {"mnuWebsiteVisualBasicBooksAPI", "/books/apibooks/apibooks.html"},
    {"mnuWebsiteVisualBasicBooksDatabaseProgramming", "/books/databaseprog/databaseprog.html"},
    {"mnuWebsiteVisualBasicBooksEnterpriseDevelopment", "/books/entdevelop/entdevelop.html"},
    {"mnuWebsiteVisualBasicBooksLearningVisualBasic", "/books/learntoprogvb/learntoprogvb.html"},
    {"mnuWebsiteVisualBasicBooksMiscBooks", "/books/miscbooks/miscbooks.html"},
    {"mnuViewBrowser", ""},
    {"mnuHelpContents", "/verdane/help.html"},
    {"mnuHelpVerdaneFeatureRequest", "mailto:"},
};
} // namespace

QString homePage() {
    return QStringLiteral("http://") + kSiteHost;
}

QString linkOf(const QString& menuEntry) {
    for (const Link& link : kLinks) {
        if (menuEntry != QLatin1String(link.entry))
            continue;
        const QString path = QString::fromLatin1(link.path);
        if (path == QLatin1String("mailto:"))
            return path + kFeedbackAddress;
        return homePage() + path;
    }
    return {};
}

QStringList linkEntries() {
    QStringList entries;
    for (const Link& link : kLinks)
        entries << QString::fromLatin1(link.entry);
    return entries;
}

QString disclaimerText() {
    return QStringLiteral("All code found on this site is Freeware. You may use it as you see fit for your own "
                          "projects but you may not re-sell the source code. If you redistribute it you must include "
                          "this disclaimer and all original copyright notices.") +
           QStringLiteral("\r\n\r\n") +
           QStringLiteral("No warranty express or implied, is given as to the use of any information or code found "
                          "on this site. Use at your own risk.");
}

} // namespace verdane
