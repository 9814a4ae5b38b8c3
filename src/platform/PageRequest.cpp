// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/PageRequest.h"

#include "platform/Http.h"

namespace platform {

PageRequest::PageRequest(Http& http, QObject* parent) : QObject(parent), m_http(http) {}

void PageRequest::navigate(const QUrl& url)
{
    m_http.start(url, TransferMode::Page, maxPageBytes, this,
                 [this, url](const HttpResult& result) {
                     if (result.ok)
                         emit navigateComplete(url);
                     else
                         emit navigateFailed(url, result.error);
                 });
}

} // namespace platform
