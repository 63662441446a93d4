// Shared support of the sheet tests: the control created from the module
// beside the tests, on the stand-in host's client site over a simulated
// node, and the sheet opened through the Properties verb with steps that act
// inside its modal loop, as an operator would.
#pragma once

#include "ModulePath.h"
#include "VennoxLib.h"
#include "framework/Handles.h"
#include "host/NodeSite.h"
#include "host/SheetDriver.h"
#include "resources/resource.h"

#include <gtest/gtest.h>
#include <olectl.h>

#include <functional>
#include <string>
#include <utility>
#include <vector>

namespace sheet_test {

using Step = CSheetDriver::Step;
using D = CSheetDriver;

// What the steps of one opening share.
struct Operator {
    HWND sheet = nullptr;
    HWND page = nullptr;
    int boxes = 0;  // "Node not available!" boxes seen and closed
};

inline Step FindSheet(Operator& op)
{
    return [&op] {
        op.sheet = D::FindSheet();
        op.page = op.sheet ? D::CurrentPage(op.sheet) : nullptr;
        return op.page != nullptr;
    };
}

inline Step ShowPage(Operator& op, int index)
{
    return [&op, index] {
        D::SelectPage(op.sheet, index);
        op.page = D::CurrentPage(op.sheet);
        return op.page != nullptr;
    };
}

inline Step Act(Operator& op, std::function<void(Operator&)> f)
{
    return [&op, f] {
        f(op);
        return true;
    };
}

inline Step Click(Operator& op, int id)
{
    return Act(op, [id](Operator& o) { D::Click(o.page, id); });
}

inline Step PressExit(Operator& op)
{
    return Act(op, [](Operator& o) { D::Click(o.sheet, IDOK); });
}

inline std::vector<const NodeCall*> Writes(const CNodeSite& site)
{
    std::vector<const NodeCall*> out;
    for (const NodeCall& c : site.Calls())
        if (c.kind == NodeCall::kWrite)
            out.push_back(&c);
    return out;
}

class SheetTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(SUCCEEDED(OleInitialize(nullptr)));
        m_module.reset(::LoadLibraryW(ModulePath().c_str()));
        ASSERT_TRUE(m_module);
        auto getClassObject = reinterpret_cast<HRESULT(STDAPICALLTYPE*)(REFCLSID, REFIID, void**)>(
            reinterpret_cast<void (*)()>(::GetProcAddress(m_module.get(), "DllGetClassObject")));
        ASSERT_NE(getClassObject, nullptr);
        ASSERT_EQ(getClassObject(CLSID_Vennox, IID_IClassFactory, m_factory.put_void()), S_OK);
    }
    void TearDown() override
    {
        m_factory.reset();
        OleUninitialize();
    }

    afx::com_ptr<IOleObject> NewControl(CNodeSite& site)
    {
        afx::com_ptr<IOleObject> control;
        EXPECT_EQ(m_factory->CreateInstance(nullptr, IID_IOleObject, control.put_void()), S_OK);
        if (control) {
            EXPECT_EQ(control->SetClientSite(site.ClientSite()), S_OK);
        }
        return control;
    }

    // Runs the Properties verb with `steps` acting inside the sheet; the last
    // step closes it. Any message box but "Node not available!", when
    // `nodeBox` says it comes, fails the opening.
    static void Open(IOleObject* control, std::vector<Step> steps, bool nodeBox = false)
    {
        CSheetDriver driver(std::move(steps));
        if (nodeBox)
            driver.ExpectBox("Plugin");
        EXPECT_EQ(control->DoVerb(OLEIVERB_PROPERTIES, nullptr, nullptr, 0, nullptr, nullptr), S_OK);
        EXPECT_FALSE(driver.Failed()) << driver.Failure();
        EXPECT_TRUE(driver.Done()) << "the sheet closed before every step ran";
    }

    // Opens the sheet on `node`, shows page `index` (which reads the node as
    // it is created) and runs `act` on it; then presses Exit. The site's call
    // log holds every call of the opening.
    void OnPage(NodeModel& node, int index, const std::function<void(HWND page, CNodeSite& site)>& act,
                const SiteOptions& options = SiteOptions())
    {
        CNodeSite site(node, options);
        afx::com_ptr<IOleObject> control = NewControl(site);
        ASSERT_TRUE(control);
        Operator op;
        Open(control.get(), {FindSheet(op), ShowPage(op, index), Act(op, [&](Operator& o) { act(o.page, site); }),
                             PressExit(op)});
        control->SetClientSite(nullptr);
    }

    afx::unique_hmodule m_module;
    afx::com_ptr<IClassFactory> m_factory;
};

}  // namespace sheet_test
