// The automated run: its driver, the verb it asks for, and its end.
#include "host/app/AutomatedRun.h"

#include <utility>

namespace {

constexpr UINT kTickMs = 20;  // between the driver's steps

}  // namespace

CAutomatedRun::CAutomatedRun(std::function<void()> openSheet, Log log)
    : m_openSheet(std::move(openSheet)), m_log(std::move(log))
{
}

CAutomatedRun::~CAutomatedRun() = default;

bool CAutomatedRun::Start(DWORD stepTimeoutMs)
{
    if (!Begin())
        return false;
    m_driver = std::make_unique<CSheetDriver>(Steps(), kTickMs, stepTimeoutMs + StepAllowance());
    ExpectBoxes(*m_driver);
    return true;
}

// A driver that gave up has closed the sheet; the verb must still return
// before the host goes on.
bool CAutomatedRun::Over() const
{
    return m_driver && (m_driver->Done() || m_driver->Failed()) && !m_inVerb;
}

bool CAutomatedRun::Finish() { return Report(m_driver->Failed() ? m_driver->Failure() : std::string()); }

void CAutomatedRun::OpenSheet()
{
    m_inVerb = true;
    m_openSheet();
}
