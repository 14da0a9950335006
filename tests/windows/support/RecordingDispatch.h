#pragma once

#include <oaidl.h>

#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

namespace pravik::test {

// A copy of what reached IDispatch::Invoke.
struct InvokeRecord {
    std::wstring member;
    LCID lookupLocale = 0; // of the GetIDsOfNames call that named the member
    LCID locale = 0;
    WORD flags = 0;
    bool resultSlot = false;
    std::vector<VARIANT> args;  // as laid out in rgvarg (copies)
    std::vector<DISPID> namedIds;
    std::vector<std::wstring> namedNames; // the names of namedIds, "" for DISPID_PROPERTYPUT
};

// What the object answers for a member: a value, a new child object (the
// default), an error code, or an exception with EXCEPINFO.
struct Answer {
    enum class Kind { Child, Value, Code, Exception } kind = Kind::Child;
    VARIANT value{};
    HRESULT code = S_OK;
    UINT argumentError = 0; // with a code: the argument refused
    std::wstring description, source;
    SCODE scode = E_FAIL;
    bool deferred = false; // the texts come from EXCEPINFO's deferred fill-in
};

// The log and the script every object of one recording shares.
class Recording {
public:
    ~Recording();
    std::vector<InvokeRecord> invokes;
    std::vector<std::pair<std::vector<std::wstring>, LCID>> lookups;
    std::map<std::wstring, Answer> answers;  // by member
    std::vector<std::wstring> unknownNames;  // names the lookup refuses
    std::map<std::wstring, std::function<void()>> during; // run while the member's call is in hand
    int liveObjects = 0;
    int creations = 0;                     // asked of the class object
    std::vector<HRESULT> refusedCreations; // the next creations' failures, in turn

    void answerValue(const std::wstring& member, const VARIANT& value);
    void answerCode(const std::wstring& member, HRESULT code, UINT argumentError = 0);
    void answerException(const std::wstring& member, std::wstring description, std::wstring source,
                         SCODE scode = E_FAIL, bool deferred = false);
};

// An IDispatch that records every lookup and call into a Recording.
IDispatch* makeRecordingDispatch(std::shared_ptr<Recording> recording);

// Registers a recording object under a ProgID for this process: the ProgID's
// CLSID in HKEY_CLASSES_ROOT and a class object that makes the objects.
// Undone when it goes.
class RegisteredRecorder {
public:
    RegisteredRecorder(const std::wstring& progId, std::shared_ptr<Recording> recording);
    ~RegisteredRecorder();

private:
    std::wstring progId_;
    DWORD cookie_ = 0;
};

} // namespace pravik::test
