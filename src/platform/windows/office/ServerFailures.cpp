#include "ServerFailures.h"

#include "CallTraits.h"

namespace pravik::win {

namespace {

constexpr HRESULT kServerUnavailable = static_cast<HRESULT>(0x800706BAu); // RPC_S_SERVER_UNAVAILABLE

} // namespace

std::string serverNameOf(const std::string& progId)
{
    // ProgIDs are matched without regard to case, as the registry does.
    if (calls::isName(progId, "word.application"))
        return "Word";
    if (calls::isName(progId, "excel.application"))
        return "Excel";
    return {};
}

bool notInstalled(HRESULT hr)
{
    return hr == REGDB_E_CLASSNOTREG || hr == CO_E_CLASSSTRING;
}

std::string notInstalledText(const std::string& serverName)
{
    return serverName + " がインストールされていないため印刷できません";
}

bool serverGone(HRESULT hr)
{
    return hr == kServerUnavailable || hr == RPC_E_DISCONNECTED || hr == RPC_E_SERVERFAULT;
}

std::string serverGoneText(const std::string& serverName)
{
    return (serverName.empty() ? std::string("オートメーション サーバー") : serverName) + " が予期せず終了しました";
}

bool worthOneMoreStart(HRESULT hr)
{
    return hr == CO_E_SERVER_STOPPING || hr == CO_E_SERVER_EXEC_FAILURE || hr == kServerUnavailable;
}

} // namespace pravik::win
