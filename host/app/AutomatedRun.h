// CAutomatedRun: what the host does with no operator at its window, the
// snapshot run (--snapshot) and the script run (--script). A run's steps act
// on the control's sheet from a CSheetDriver inside the sheet's modal loop;
// the run has the host open the sheet through its Properties verb; once every
// step is done, or the driver gave up, and the verb has returned, the run says
// how it went and the host exits with the outcome.
#pragma once

#include "host/app/SheetDriver.h"

#include <windows.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

class CAutomatedRun {
public:
    using Log = std::function<void(const std::string&)>;

    // `openSheet` must start the control's Properties verb after the step
    // that asks for it has returned (posted, so that the sheet's modal loop
    // runs outside the step), and the host calls VerbReturned() once the verb
    // is done. `log` hears what the run did.
    CAutomatedRun(std::function<void()> openSheet, Log log);
    virtual ~CAutomatedRun();
    CAutomatedRun(const CAutomatedRun&) = delete;
    CAutomatedRun& operator=(const CAutomatedRun&) = delete;

    // Operations
    // Starts the driver on the run's steps, each allowed `stepTimeoutMs` and
    // what the run adds; false when the run cannot begin (it has said why).
    bool Start(DWORD stepTimeoutMs);
    void VerbReturned() { m_inVerb = false; }
    // Every step done, or the driver gave up (and closed the sheet), and the
    // verb has returned.
    bool Over() const;
    // Says how the run went; true when it passed.
    bool Finish();

protected:
    // Overridables
    // Does what comes before the steps; false when the run cannot begin,
    // after saying why. By default there is nothing to do.
    virtual bool Begin() { return true; }
    virtual std::vector<CSheetDriver::Step> Steps() = 0;
    // How much longer than the host allows a step may take; by default no longer.
    virtual DWORD StepAllowance() const { return 0; }
    // Tells the driver which message boxes the steps close or answer; by
    // default none, and any box fails the run.
    virtual void ExpectBoxes(CSheetDriver&) {}
    // Says how the run went, given the driver's failure (empty when it did
    // not give up); true when the run passed.
    virtual bool Report(const std::string& failure) = 0;

    // Implementation
    // The Properties verb, started once the step running has returned.
    void OpenSheet();
    bool InVerb() const { return m_inVerb; }
    void Say(const std::string& line) const { m_log(line); }

private:
    std::function<void()> m_openSheet;
    Log m_log;
    bool m_inVerb = false;
    std::unique_ptr<CSheetDriver> m_driver;
};
