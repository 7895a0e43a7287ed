// THttpCli's fetch: a GET run to its end and handed over as one result, with
// the log of the exchange written as it happened.
#include <exception>
#include <utility>

#include "http/CredentialMask.h"
#include "http/HttpProt.h"

namespace zelvo::http {

void THttpCli::Record(std::string line) {
    if (fetch_.Active)
        fetch_.Log.push_back(std::move(line));
}

TFetchResult THttpCli::RefusedFetch(const std::string& why) {
    TFetchResult result;
    result.Failed = true;
    result.StatusCode = statusCode_;
    result.ReasonPhrase = reasonPhrase_;
    LogFailure(result.Log, why);
    return result;
}

void THttpCli::LogFailure(std::vector<std::string>& log, const std::string& error) const {
    if (!error.empty())
        log.push_back("Error = " + MaskCredentials(error));
    log.push_back("GET Failed !");
    log.push_back("StatusCode   = " + std::to_string(statusCode_));
    log.push_back("ReasonPhrase = " + MaskCredentials(reasonPhrase_));
}

TFetchResult THttpCli::Fetch() {
    // The request under way keeps its own record; this one is refused
    // before it could disturb it.
    if (httpState_ != hsReady || fetch_.Active)
        return RefusedFetch("HTTP component is busy");

    fetch_ = TFetchRecord{};
    fetch_.Active = true;
    rcvdStream_ = nullptr;
    struct EndOfFetch {
        THttpCli& client;
        ~EndOfFetch() {
            client.fetch_.Active = false;
            if (client.rcvdStream_ == &client.fetch_.Body)
                client.rcvdStream_ = nullptr;
            client.fetch_.Body.Clear();
            client.fetch_.Document.reset();
        }
    } endOfFetch{*this};

    // Whatever stops the request, its reason reaches the result: the
    // client's status and reason for the request's own failures, the
    // exception's text for anything else.
    std::string error;
    try {
        ExecuteRequest(hrGet);
    } catch (const EHttpException& e) {
        if (reasonPhrase_ != e.what())
            error = e.what();
    } catch (...) {
        error = platform::ExceptionMessage(std::current_exception());
        if (error.empty())
            error = "Unknown exception";
    }
    if (!error.empty() && httpState_ != hsReady) {
        // An event handler threw while the request ran: the request ends
        // here, with that as its reason, rather than holding the client busy.
        EndRequest(error, 0);
        WaitUntilReady();
    }
    // Without the private pump's second pass the request's end may still be
    // waiting in the queue; it belongs to this fetch.
    if (!fetch_.Done)
        platform::PumpPostedMessages();

    TFetchResult result;
    result.Failed = statusCode_ >= 400 || !error.empty();
    result.StatusCode = statusCode_;
    result.ReasonPhrase = reasonPhrase_;
    result.ContentType = responseContentType_;
    result.FinalURL = CurrentDocumentURL();
    result.Log = std::move(fetch_.Log);
    if (result.Failed) {
        LogFailure(result.Log, error);
    } else {
        result.Log.push_back("StatusCode = " + std::to_string(statusCode_));
        for (const std::string& line : rcvdHeader_.Lines())
            result.Log.push_back("hdr>" + MaskCredentials(line));
        result.Body = std::move(fetch_.Document);
    }
    return result;
}

}  // namespace zelvo::http
