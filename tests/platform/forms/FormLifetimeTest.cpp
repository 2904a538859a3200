// Loading, showing, closing and releasing forms; modal loops.
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

#include "FormsTestSupport.h"
#include "platform/RuntimeError.h"
#include "platform/forms/CommandButton.h"
#include "platform/forms/TimerControl.h"

namespace platform::test {

namespace {

using Log = std::vector<std::string>;

// Records what happens to forms as a front end would hear it.
struct Recorder : FormObserver {
    Recorder() { Forms::addObserver(this); }
    ~Recorder() override { Forms::removeObserver(this); }
    void formShown(Form& f, bool modal) override { log.push_back(f.Name() + (modal ? " shown modal" : " shown")); }
    void formHidden(Form& f) override { log.push_back(f.Name() + " hidden"); }
    void formUnloaded(Form& f) override { log.push_back(f.Name() + " unloaded"); }
    void formDestroyed(Form&) override { log.push_back("destroyed"); }
    Log log;
};

// A window that records its own events into a shared log.
struct Window : Form {
    Window(std::string name, Log& log) : Form(name), log(log) {
        Ok.Click = [this] { say("ok"); Unload(*this); say("after unload, loaded " + std::to_string(isLoaded())); };
        Tick.Timer = [this] {
            say("tick");
            if (closeOnTick) {
                Tick.setEnabled(false);
                Unload(*this);
            }
        };
    }
    ~Window() override { log.push_back(Name() + " object gone"); }
    void say(const std::string& s) { log.push_back(Name() + " " + s); }
    void Form_Initialize() override { say("initialize"); }
    void Form_Load() override {
        say("load");
        if (onLoad) onLoad();
    }
    void Form_QueryUnload(int& cancel, int mode) override {
        say("query " + std::to_string(mode));
        cancel = refuseQuery;
    }
    void Form_Unload(int& cancel) override {
        say("unload");
        cancel = refuseUnload;
    }
    void Form_Terminate() override { say("terminate"); }

    Log& log;
    int refuseQuery = 0, refuseUnload = 0;
    bool closeOnTick = false;
    std::function<void()> onLoad;
    CommandButton Ok{*this, "Ok"};
    CommandButton Deeper{*this, "Deeper"};
    TimerControl Tick{*this, "Tick"};
};

// Forms outlive a test body until the fixture discards them, so the log
// they write into lives in the fixture.
class FormLifetime : public FormsTest {
protected:
    ~FormLifetime() override { Forms::discardAll(); }
    Log log;
};

}  // namespace

TEST_F(FormLifetime, UnloadFromItsOwnHandlerIsReleasedAfterTheHandlerReturns) {
    Recorder rec;
    auto form = newForm<Window>("W", log);
    Window* w = form.get();
    w->Show();
    form.reset();  // only the loaded form's own reference keeps it now
    log.clear();
    driver.click(w->Ok);
    EXPECT_EQ(log, (Log{"W ok", "W query 1", "W unload", "W after unload, loaded 0", "W terminate",
                        "W object gone"}));
    EXPECT_EQ(rec.log, (Log{"W shown", "W hidden", "W unloaded", "destroyed"}));
    EXPECT_EQ(Forms::Count(), 0);
}

TEST_F(FormLifetime, QueryUnloadAndUnloadMayRefuseAndTellTheReason) {
    struct Case {
        const char* what;
        bool closeBox;
        int refuseQuery, refuseUnload;
        Log expected;
        bool loadedAfter;
    };
    const Case cases[] = {
        {"close box refused", true, 1, 0, {"W query 0"}, true},
        {"code refused", false, 1, 0, {"W query 1"}, true},
        {"unload refused", true, 0, 1, {"W query 0", "W unload"}, true},
        {"close box agreed", true, 0, 0, {"W query 0", "W unload"}, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        log.clear();
        auto w = newForm<Window>("W", log);
        w->Show();
        w->refuseQuery = c.refuseQuery;
        w->refuseUnload = c.refuseUnload;
        log.clear();
        bool unloaded = c.closeBox ? (driver.closeBox(*w), !w->isLoaded()) : Unload(*w);
        EXPECT_EQ(unloaded, !c.loadedAfter);
        EXPECT_EQ(log, c.expected);
        EXPECT_EQ(w->isLoaded(), c.loadedAfter);
        EXPECT_EQ(w->Visible(), c.loadedAfter);
        Forms::discardAll();
    }
}

TEST_F(FormLifetime, OwnedFormsCloseWithTheirOwner) {
    auto owner = newForm<Window>("Owner", log);
    auto child = newForm<Window>("Child", log);
    owner->Show();
    child->Show(vbModeless, owner.get());
    log.clear();
    Unload(*owner);
    EXPECT_EQ(log, (Log{"Owner query 1", "Owner unload", "Child query 5", "Child unload"}));
    EXPECT_FALSE(child->isLoaded());
}

TEST_F(FormLifetime, AnUnloadedFormLoadsAgainOnTheNextShow) {
    auto w = newForm<Window>("W", log);
    w->Tick.setInterval(100);
    w->Show();
    loop.runUntil([&] { return clock.now() >= 200'000; });
    Unload(*w);
    clock.advanceTo(1'000'000);
    loop.doEvents();
    w->Show();
    EXPECT_EQ(w->ActiveControl(), &w->Ok) << "focus set again";
    loop.runUntil([&] { return clock.now() >= 1'100'000; });
    w.reset();
    Forms::discardAll();
    EXPECT_EQ(log, (Log{"W initialize", "W load", "W tick", "W tick", "W query 1", "W unload",
                        "W load", "W tick", "W terminate", "W object gone"}));
}

TEST_F(FormLifetime, SelfClosingModalNoticeReturnsAfterItsTime) {
    auto w = newForm<Window>("Notice", log);
    w->Tick.setInterval(1000);
    w->closeOnTick = true;
    const Micros start = clock.now();
    w->Show(vbModal);
    EXPECT_EQ(clock.now() - start, 1'000'000);
    EXPECT_FALSE(w->isLoaded());
    EXPECT_TRUE(Forms::modalStack().empty());
}

TEST_F(FormLifetime, HideEndsAModalShowAndKeepsTheFormLoaded) {
    auto w = newForm<Window>("W", log);
    driver.onModal = [](Form& f) { EventLoop::current().post([&f] { f.Hide(); }); };
    w->Show(vbModal);
    EXPECT_TRUE(w->isLoaded());
    EXPECT_FALSE(w->Visible());
    w->Show();
    EXPECT_THROW(w->Show(vbModal), RuntimeError) << "a form shown modeless cannot be made modal";
}

TEST_F(FormLifetime, NestedModalFormsAnsweredByTheDriverWhileOtherTimersRun) {
    auto main = newForm<Window>("Main", log);
    std::shared_ptr<Window> a, b;
    int mainTicks = 0;
    main->Tick.setInterval(100);
    main->Tick.Timer = [&] { ++mainTicks; };
    main->Deeper.Click = [&] {
        a = newForm<Window>("A", log);
        a->Deeper.Click = [&] {
            b = newForm<Window>("B", log);
            b->Tick.setInterval(500);
            b->closeOnTick = true;
            b->Show(vbModal, a.get());
            a->say("B returned");
            Unload(*a);
        };
        a->Show(vbModal, main.get());
        main->say("A returned");
    };
    main->Show();
    driver.answerNext([&](Form& f) {
        EXPECT_EQ(&f, a.get());
        driver.click(a->Deeper);
        EXPECT_FALSE(a->isLoaded()) << "the answer ran the whole nested dialog";
    });
    driver.answerNext([&](Form& f) {
        EXPECT_EQ(&f, b.get());
        EXPECT_EQ(Forms::modalStack().size(), 2u);
        EXPECT_FALSE(driver.click(main->Ok)) << "windows behind a modal one take no input";
        EXPECT_FALSE(driver.click(a->Ok));
    });
    log.clear();
    driver.click(main->Deeper);
    EXPECT_EQ(log, (Log{"A initialize", "A load", "B initialize", "B load", "B tick", "B query 1",
                        "B unload", "A B returned", "A query 1", "A unload", "Main A returned"}));
    EXPECT_EQ(mainTicks, 5) << "the main window's timer ran inside the nested loops";
    EXPECT_EQ(driver.modalLog(), (std::vector<std::string>{"A", "B"}));
    EXPECT_TRUE(Forms::modalStack().empty());
    EXPECT_TRUE(driver.click(main->Ok));
}

TEST_F(FormLifetime, AModalFormNobodyAnswersFailsInsteadOfHanging) {
    auto w = newForm<Window>("Forgotten", log);
    EXPECT_THROW(w->Show(vbModal), std::logic_error);
    EXPECT_TRUE(Forms::modalStack().empty());
    EXPECT_FALSE(w->isModal());
}

}  // namespace platform::test
