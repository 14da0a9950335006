#include "RecordingDispatch.h"

#include <windows.h>

#include <algorithm>
#include <stdexcept>

namespace pravik::test {

namespace {

// {6B1F58E2-4C0A-4D3B-9E51-7A2C9D0F1E34}
const CLSID kRecorderClsid = {0x6b1f58e2, 0x4c0a, 0x4d3b, {0x9e, 0x51, 0x7a, 0x2c, 0x9d, 0x0f, 0x1e, 0x34}};

// The description a deferred fill-in gives, only when the caller asks.
std::wstring deferredDescription;

HRESULT STDMETHODCALLTYPE fillInDeferred(EXCEPINFO* info)
{
    info->bstrDescription = ::SysAllocString(deferredDescription.c_str());
    return S_OK;
}

class Dispatch final : public IDispatch {
public:
    explicit Dispatch(std::shared_ptr<Recording> recording) : recording_(std::move(recording))
    {
        ++recording_->liveObjects;
    }

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override
    {
        if (iid == IID_IUnknown || iid == IID_IDispatch) {
            *out = static_cast<IDispatch*>(this);
            AddRef();
            return S_OK;
        }
        *out = nullptr;
        return E_NOINTERFACE;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return ++references_; }
    ULONG STDMETHODCALLTYPE Release() override
    {
        const ULONG left = --references_;
        if (left == 0) {
            --recording_->liveObjects;
            delete this;
        }
        return left;
    }
    HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* count) override
    {
        *count = 0;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT, LCID, ITypeInfo**) override { return E_NOTIMPL; }

    HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID, LPOLESTR* names, UINT count, LCID locale,
                                            DISPID* ids) override
    {
        std::vector<std::wstring> asked(names, names + count);
        recording_->lookups.emplace_back(asked, locale);
        HRESULT result = S_OK;
        for (UINT i = 0; i < count; ++i) {
            const auto& unknown = recording_->unknownNames;
            if (std::find(unknown.begin(), unknown.end(), asked[i]) != unknown.end()) {
                ids[i] = DISPID_UNKNOWN;
                result = DISP_E_UNKNOWNNAME;
                continue;
            }
            ids[i] = idOf(asked[i]);
            lookupLocales_[ids[i]] = locale;
        }
        return result;
    }

    HRESULT STDMETHODCALLTYPE Invoke(DISPID id, REFIID, LCID locale, WORD flags, DISPPARAMS* params,
                                     VARIANT* result, EXCEPINFO* exception, UINT* argumentError) override
    {
        InvokeRecord record;
        record.member = nameOf(id);
        record.lookupLocale = lookupLocales_[id];
        record.locale = locale;
        record.flags = flags;
        record.resultSlot = result != nullptr;
        for (UINT i = 0; i < params->cArgs; ++i) {
            VARIANT copy;
            ::VariantInit(&copy);
            ::VariantCopy(&copy, &params->rgvarg[i]);
            record.args.push_back(copy);
        }
        for (UINT i = 0; i < params->cNamedArgs; ++i) {
            const DISPID named = params->rgdispidNamedArgs[i];
            record.namedIds.push_back(named);
            record.namedNames.push_back(named == DISPID_PROPERTYPUT ? L"" : nameOf(named));
        }
        recording_->invokes.push_back(std::move(record));
        if (const auto hook = recording_->during.find(nameOf(id)); hook != recording_->during.end())
            hook->second();

        const auto found = recording_->answers.find(nameOf(id));
        const Answer answer = found != recording_->answers.end() ? found->second : Answer{};
        switch (answer.kind) {
        case Answer::Kind::Code:
            if (argumentError)
                *argumentError = answer.argumentError;
            return answer.code;
        case Answer::Kind::Exception:
            if (exception) {
                *exception = EXCEPINFO{};
                exception->scode = answer.scode;
                exception->bstrSource = ::SysAllocString(answer.source.c_str());
                if (answer.deferred)
                    (deferredDescription = answer.description, exception->pfnDeferredFillIn = fillInDeferred);
                else
                    exception->bstrDescription = ::SysAllocString(answer.description.c_str());
            }
            return DISP_E_EXCEPTION;
        case Answer::Kind::Value:
            if (result)
                ::VariantCopy(result, const_cast<VARIANT*>(&answer.value));
            return S_OK;
        case Answer::Kind::Child:
            if (result) {
                result->vt = VT_DISPATCH;
                result->pdispVal = makeRecordingDispatch(recording_);
            }
            return S_OK;
        }
        return S_OK;
    }

private:
    DISPID idOf(const std::wstring& name)
    {
        auto& ids = ids_;
        for (size_t i = 0; i < ids.size(); ++i)
            if (::CompareStringOrdinal(ids[i].c_str(), -1, name.c_str(), -1, TRUE) == CSTR_EQUAL)
                return static_cast<DISPID>(i + 1);
        ids.push_back(name);
        return static_cast<DISPID>(ids.size());
    }
    std::wstring nameOf(DISPID id) const
    {
        return id >= 1 && static_cast<size_t>(id) <= ids_.size() ? ids_[static_cast<size_t>(id) - 1]
                                                                 : L"?";
    }

    std::shared_ptr<Recording> recording_;
    ULONG references_ = 1;
    std::vector<std::wstring> ids_;
    std::map<DISPID, LCID> lookupLocales_;
};

class Factory final : public IClassFactory {
public:
    explicit Factory(std::shared_ptr<Recording> recording) : recording_(std::move(recording)) {}
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override
    {
        if (iid == IID_IUnknown || iid == IID_IClassFactory) {
            *out = static_cast<IClassFactory*>(this);
            AddRef();
            return S_OK;
        }
        *out = nullptr;
        return E_NOINTERFACE;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return ++references_; }
    ULONG STDMETHODCALLTYPE Release() override
    {
        const ULONG left = --references_;
        if (left == 0)
            delete this;
        return left;
    }
    HRESULT STDMETHODCALLTYPE CreateInstance(IUnknown* outer, REFIID iid, void** out) override
    {
        if (outer)
            return CLASS_E_NOAGGREGATION;
        ++recording_->creations;
        if (!recording_->refusedCreations.empty()) {
            const HRESULT refused = recording_->refusedCreations.front();
            recording_->refusedCreations.erase(recording_->refusedCreations.begin());
            return refused;
        }
        IDispatch* object = makeRecordingDispatch(recording_);
        const HRESULT hr = object->QueryInterface(iid, out);
        object->Release();
        return hr;
    }
    HRESULT STDMETHODCALLTYPE LockServer(BOOL) override { return S_OK; }

private:
    std::shared_ptr<Recording> recording_;
    ULONG references_ = 1;
};

void setKeyDefault(const std::wstring& key, const std::wstring& value)
{
    HKEY handle = nullptr;
    if (::RegCreateKeyExW(HKEY_CLASSES_ROOT, key.c_str(), 0, nullptr, 0, KEY_WRITE, nullptr, &handle,
                          nullptr)
        != ERROR_SUCCESS)
        throw std::runtime_error("cannot write HKEY_CLASSES_ROOT");
    ::RegSetValueExW(handle, nullptr, 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
                     static_cast<DWORD>((value.size() + 1) * sizeof(wchar_t)));
    ::RegCloseKey(handle);
}

std::wstring clsidText(const CLSID& clsid)
{
    wchar_t text[40];
    ::StringFromGUID2(clsid, text, 40);
    return text;
}

} // namespace

Recording::~Recording()
{
    for (auto& record : invokes)
        for (auto& arg : record.args)
            ::VariantClear(&arg);
    for (auto& [member, answer] : answers)
        ::VariantClear(&answer.value);
}

void Recording::answerValue(const std::wstring& member, const VARIANT& value)
{
    Answer answer;
    answer.kind = Answer::Kind::Value;
    ::VariantInit(&answer.value);
    ::VariantCopy(&answer.value, const_cast<VARIANT*>(&value));
    answers[member] = answer;
}

void Recording::answerCode(const std::wstring& member, HRESULT code, UINT argumentError)
{
    Answer answer;
    answer.kind = Answer::Kind::Code;
    answer.code = code;
    answer.argumentError = argumentError;
    answers[member] = answer;
}

void Recording::answerException(const std::wstring& member, std::wstring description,
                                std::wstring source, SCODE scode, bool deferred)
{
    Answer answer;
    answer.kind = Answer::Kind::Exception;
    answer.description = std::move(description);
    answer.source = std::move(source);
    answer.scode = scode;
    answer.deferred = deferred;
    answers[member] = answer;
}

IDispatch* makeRecordingDispatch(std::shared_ptr<Recording> recording)
{
    return new Dispatch(std::move(recording));
}

RegisteredRecorder::RegisteredRecorder(const std::wstring& progId, std::shared_ptr<Recording> recording)
    : progId_(progId)
{
    setKeyDefault(progId + L"\\CLSID", clsidText(kRecorderClsid));
    auto* factory = new Factory(std::move(recording));
    const HRESULT hr = ::CoRegisterClassObject(kRecorderClsid, factory, CLSCTX_LOCAL_SERVER,
                                               REGCLS_MULTIPLEUSE, &cookie_);
    factory->Release();
    if (FAILED(hr))
        throw std::runtime_error("CoRegisterClassObject failed");
}

RegisteredRecorder::~RegisteredRecorder()
{
    ::CoRevokeClassObject(cookie_);
    ::RegDeleteTreeW(HKEY_CLASSES_ROOT, progId_.c_str());
}

} // namespace pravik::test
