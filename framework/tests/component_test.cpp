#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "framework/component.h"

namespace {

std::vector<std::string> g_log;

// A component that records its notifications, Loaded calls and destruction in g_log.
class TProbe : public TComponent {
    LUMORA_CLASS(TProbe, TComponent)
public:
    explicit TProbe(TComponent* AOwner, const std::string& name = "") : TComponent(AOwner) {
        if (!name.empty()) SetName(name);
    }
    ~TProbe() override { g_log.push_back("free " + Label()); }

    void Notification(TComponent* AComponent, TOperation Operation) override {
        // The component reported is still whole: its own class answers.
        std::string what = AComponent ? AComponent->GetName() + ":" + AComponent->ClassName() : "nil";
        g_log.push_back(Label() + (Operation == opInsert ? " +" : " -") + what);
        if (Operation == opRemove && AComponent == Watched) Watched = nullptr;
        TComponent::Notification(AComponent, Operation);
    }
    void Loaded() override {
        TComponent::Loaded();
        SeenAtLoaded = GetOwner() ? GetOwner()->GetComponentCount() : GetComponentCount();
        g_log.push_back("loaded " + Label());
        if (OnLoaded) OnLoaded(this);
    }
    std::string Label() const { return GetName().empty() ? "?" : GetName(); }

    TComponent* Watched = nullptr;
    int SeenAtLoaded = -1;
    std::function<void(TProbe*)> OnLoaded;
};

class TOtherProbe : public TProbe {
    LUMORA_CLASS(TOtherProbe, TProbe)
public:
    using TProbe::TProbe;
};

std::vector<std::string> Take() {
    std::vector<std::string> out;
    out.swap(g_log);
    return out;
}

using Log = std::vector<std::string>;

}  // namespace

TEST(Component, OwnerFreesOwnedInReverseCreationOrder) {
    auto* form = new TProbe(nullptr, "Form");
    auto* a = new TProbe(form, "A");
    auto* b = new TProbe(form, "B");
    new TProbe(a, "A1");
    ASSERT_EQ(form->GetComponentCount(), 2);
    EXPECT_EQ(form->GetComponent(0), a);
    EXPECT_EQ(form->GetComponent(1), b);
    EXPECT_EQ(b->GetComponentIndex(), 1);
    EXPECT_THROW(form->GetComponent(2), EListError);
    Take();

    form->Free();
    // The form's own destructor runs first; then the owned components leave silently (nobody
    // watches them), the last created first, each with what it owns.
    EXPECT_EQ(Take(), (Log{"free Form", "free B", "free A", "free A1"}));
}

TEST(Component, FreeingAnOwnedComponentNotifiesTheOwnerTreeFirst) {
    auto* form = new TProbe(nullptr, "Form");
    auto* a = new TOtherProbe(form, "A");
    auto* b = new TProbe(form, "B");
    auto* b1 = new TProbe(b, "B1");
    b1->Watched = a;
    Take();

    a->Free();
    // The owner hears first, while A is whole, and passes it down its tree, last created first.
    EXPECT_EQ(Take(), (Log{"Form -A:TOtherProbe", "B -A:TOtherProbe", "B1 -A:TOtherProbe",
                           "A -A:TOtherProbe", "free A"}));
    EXPECT_EQ(b1->Watched, nullptr);
    EXPECT_EQ(form->GetComponentCount(), 1);
    EXPECT_EQ(b->GetComponentIndex(), 0);

    // Insertion is announced the same way (the new component is still being constructed).
    auto* c = new TProbe(form, "");
    EXPECT_EQ(Take(), (Log{"Form +:TComponent", "B +:TComponent", "B1 +:TComponent"}));
    c->SetName("C");
    form->Free();
    Take();
}

TEST(Component, FreeNotificationAcrossOwnersIsTwoWay) {
    auto* form1 = new TProbe(nullptr, "F1");
    auto* form2 = new TProbe(nullptr, "F2");
    auto* image = new TProbe(form1, "Image");
    auto* viewer = new TProbe(form2, "Viewer");
    viewer->Watched = image;
    image->FreeNotification(viewer);
    image->FreeNotification(viewer);  // asking twice stores one link
    EXPECT_TRUE(image->GetComponentState().Contains(csFreeNotification));
    Take();

    image->Free();
    Log log = Take();
    EXPECT_EQ(log.front(), "Viewer -Image:TProbe");  // the watcher first, then the owner tree
    EXPECT_EQ(std::count(log.begin(), log.end(), "Viewer -Image:TProbe"), 1);
    EXPECT_EQ(viewer->Watched, nullptr);

    // The link is cleared when the watcher dies first: freeing the watched one later must not
    // reach the dead watcher (ASan reports it otherwise).
    auto* image2 = new TProbe(form1, "Image2");
    image2->FreeNotification(viewer);
    viewer->Free();
    image2->Free();

    // RemoveFreeNotification cuts the link both ways.
    auto* image3 = new TProbe(form1, "Image3");
    auto* viewer3 = new TProbe(form2, "Viewer3");
    image3->FreeNotification(viewer3);
    image3->RemoveFreeNotification(viewer3);
    Take();
    image3->Free();
    Log after = Take();
    EXPECT_EQ(std::count(after.begin(), after.end(), "Viewer3 -Image3:TProbe"), 0);
    form1->Free();
    form2->Free();
}

TEST(Component, OwnerDestructionAnnouncesOnlyWatchedComponents) {
    auto* form = new TProbe(nullptr, "Form");
    auto* grid = new TProbe(form, "Grid");
    auto* list = new TProbe(form, "List");
    auto* popup = new TProbe(form, "Popup");
    grid->Watched = list;
    list->FreeNotification(grid);  // siblings: told through the owner
    auto* outsider = new TProbe(nullptr, "Outsider");
    outsider->Watched = popup;
    popup->FreeNotification(outsider);
    Take();

    form->BeforeDestruction();
    for (auto* c : {static_cast<TComponent*>(form), static_cast<TComponent*>(list),
                    static_cast<TComponent*>(grid), static_cast<TComponent*>(popup)})
        EXPECT_TRUE(c->GetComponentState().Contains(csDestroying)) << c->GetName();
    delete form;  // BeforeDestruction ran already: this is what Free() does
    Log log = Take();
    // Watched components are announced to the owner tree before they go; Grid is not watched
    // and leaves silently.
    EXPECT_EQ(log, (Log{"free Form",
                        "Popup -Popup:TProbe", "List -Popup:TProbe", "Grid -Popup:TProbe",
                        "Outsider -Popup:TProbe", "free Popup",
                        "List -List:TProbe", "Grid -List:TProbe", "free List",
                        "free Grid"}));
    EXPECT_EQ(outsider->Watched, nullptr);
    outsider->Free();
}

TEST(Component, DeleteWithoutFreeStillNotifies) {
    auto* form = new TProbe(nullptr, "Form");
    {
        TProbe stackWatcher(nullptr, "W");
        auto* a = new TProbe(form, "A");
        a->FreeNotification(&stackWatcher);
        stackWatcher.Watched = a;
        delete a;  // a bare delete: the owner and the watcher still hear
        EXPECT_EQ(stackWatcher.Watched, nullptr);
        EXPECT_EQ(form->GetComponentCount(), 0);
        a = new TProbe(form, "A2");
        a->FreeNotification(&stackWatcher);
    }  // the watcher on the stack dies first; A2 forgets it
    form->Free();
    Take();
}

TEST(Component, NameRules) {
    struct Case {
        const char* name;
        bool valid;
    } cases[] = {{"Button1", true}, {"_x", true}, {"a_1_b", true}, {"1abc", false},
                 {"a b", false},    {"a-b", false}, {"a.b", false},  {"é", false}};
    auto* form = new TComponent(nullptr);
    for (const Case& c : cases) {
        TComponent comp(nullptr);
        if (c.valid) {
            EXPECT_NO_THROW(comp.SetName(c.name)) << c.name;
        } else {
            try {
                comp.SetName(c.name);
                ADD_FAILURE() << c.name;
            } catch (const EComponentError& e) {
                EXPECT_EQ(e.Message, std::string("'") + c.name + "' is not a valid component name");
            }
        }
    }

    auto* b1 = new TComponent(form);
    b1->SetName("Button1");
    auto* b2 = new TComponent(form);
    try {
        b2->SetName("BUTTON1");  // case does not make names different
        ADD_FAILURE();
    } catch (const EComponentError& e) {
        EXPECT_EQ(e.Message, "A component named BUTTON1 already exists");
    }
    EXPECT_EQ(b2->GetName(), "");
    b1->SetName("button1");  // renaming itself in another case is fine
    EXPECT_EQ(form->FindComponent("BUTTON1"), b1);
    new TComponent(form);  // any number of unnamed components
    EXPECT_EQ(form->FindComponent(""), nullptr);
    EXPECT_EQ(b1->GetNamePath(), "button1");

    // Names must stay unique when a component moves to another owner.
    TComponent other(nullptr);
    auto* clash = new TComponent(&other);
    clash->SetName("Button1");
    EXPECT_THROW(form->InsertComponent(clash), EComponentError);
    EXPECT_EQ(clash->GetOwner(), &other);
    clash->SetName("Button2");
    form->InsertComponent(clash);
    EXPECT_EQ(clash->GetOwner(), form);
    EXPECT_EQ(other.GetComponentCount(), 0);
    // Without an owner no name can clash.
    TComponent lone(nullptr);
    lone.SetName("Button1");
    form->Free();
}

TEST(Component, LoadingBracketCallsLoadedAfterTheWholeTree) {
    auto* form = new TProbe(nullptr, "Form");
    TProbe* inner = nullptr;
    std::vector<TComponentState> during;
    Take();
    BuildComponents(form, [&] {
        auto* panel = new TProbe(form, "Panel");
        inner = new TProbe(form, "Inner");
        new TProbe(panel, "Deep");
        auto* doomed = new TProbe(form, "Doomed");
        doomed->Free();  // freed inside the bracket: skipped later
        for (int i = 0; i < form->GetComponentCount(); ++i)
            during.push_back(form->GetComponent(i)->GetComponentState());
        during.push_back(form->GetComponentState());
    });
    for (const TComponentState& s : during) {
        EXPECT_TRUE(s.Contains(csLoading));
        EXPECT_TRUE(s.Contains(csReading));
        EXPECT_FALSE(s.Contains(csDesigning));
    }
    Log log = Take();
    Log loaded;
    for (auto& l : log)
        if (l.rfind("loaded", 0) == 0) loaded.push_back(l);
    EXPECT_EQ(loaded, (Log{"loaded Form", "loaded Panel", "loaded Inner", "loaded Deep"}));
    EXPECT_EQ(inner->SeenAtLoaded, 2);  // the whole tree existed
    for (int i = 0; i < form->GetComponentCount(); ++i)
        EXPECT_TRUE(form->GetComponent(i)->GetComponentState().Empty());
    EXPECT_TRUE(form->GetComponentState().Empty());

    // Components created after the bracket ended, or inside Loaded, are not loading.
    auto* late = new TProbe(form, "Late");
    EXPECT_FALSE(late->GetComponentState().Contains(csLoading));
    form->Free();
    Take();
}

TEST(Component, LoadingBracketEdges) {
    // Loaded of one member frees a later member and creates a new component.
    auto* form = new TProbe(nullptr, "Form");
    TProbe* created = nullptr;
    {
        TLoadingBracket loading(form);
        auto* a = new TProbe(form, "A");
        auto* b = new TProbe(form, "B");
        a->OnLoaded = [&](TProbe*) {
            b->Free();
            created = new TProbe(form, "Created");
        };
        Take();
        loading.End();
        EXPECT_FALSE(loading.IsOpen());
    }
    Log log = Take();
    EXPECT_EQ(std::count(log.begin(), log.end(), "loaded B"), 0);
    EXPECT_EQ(std::count(log.begin(), log.end(), "loaded Created"), 0);
    EXPECT_FALSE(created->GetComponentState().Contains(csLoading));

    // Building code that raises: no Loaded, flags cleared, the tree stays with its owner.
    TProbe* half = nullptr;
    EXPECT_THROW(BuildComponents(form, [&] {
                     half = new TProbe(form, "Half");
                     throw EComponentError("boom");
                 }),
                 EComponentError);
    EXPECT_TRUE(half->GetComponentState().Empty());
    log = Take();
    EXPECT_EQ(std::count(log.begin(), log.end(), "loaded Half"), 0);

    // Nested brackets: the inner one loads its own members when it ends.
    TProbe* outerMember = nullptr;
    TProbe* innerMember = nullptr;
    BuildComponents(nullptr, [&] {
        outerMember = new TProbe(form, "Outer");
        BuildComponents(nullptr, [&] { innerMember = new TProbe(form, "InnerMember"); });
        EXPECT_FALSE(innerMember->GetComponentState().Contains(csLoading));
        EXPECT_TRUE(outerMember->GetComponentState().Contains(csLoading));
    });
    EXPECT_FALSE(outerMember->GetComponentState().Contains(csLoading));

    // A Loaded that raises: the members after it leave without Loaded.
    TProbe* after = nullptr;
    EXPECT_THROW(BuildComponents(nullptr, [&] {
                     auto* bad = new TProbe(form, "Bad");
                     bad->OnLoaded = [](TProbe*) { throw EComponentError("bad"); };
                     after = new TProbe(form, "After");
                 }),
                 EComponentError);
    EXPECT_TRUE(after->GetComponentState().Empty());
    form->Free();
    Take();
}

TEST(Component, ClassRegistry) {
    RegisterClasses({TOtherProbe::StaticClass()});
    EXPECT_EQ(GetClass("totherprobe"), TOtherProbe::StaticClass());
    EXPECT_EQ(FindClass("TProbe"), TProbe::StaticClass());  // ancestors come along
    EXPECT_EQ(GetClass("TNoSuchThing"), nullptr);
    try {
        FindClass("TNoSuchThing");
        ADD_FAILURE();
    } catch (const EClassNotFound& e) {
        EXPECT_EQ(e.Message, "Class TNoSuchThing not found");
    }
    RegisterClass(TOtherProbe::StaticClass());  // again: allowed

    // The virtual constructor through the registry, with an owner.
    TComponent owner(nullptr);
    TObject* obj = CreateFromClass(FindClass("TOtherProbe"), &owner);
    ASSERT_EQ(obj->ClassName(), "TOtherProbe");
    EXPECT_EQ(static_cast<TComponent*>(obj)->GetOwner(), &owner);
    TPersistent notAComponent;
    EXPECT_THROW(CreateFromClass(TOtherProbe::StaticClass(), &notAComponent), EInvalidCast);
    UnRegisterClass(TOtherProbe::StaticClass());
    EXPECT_EQ(GetClass("TOtherProbe"), nullptr);
    Take();
}

namespace {
namespace other {
class TProbe : public TComponent {
    LUMORA_CLASS(TProbe, TComponent)
public:
    using TComponent::TComponent;
};
}  // namespace other
}  // namespace

TEST(Component, ClassRegistryRefusesASecondClassOfTheSameName) {
    RegisterClass(TProbe::StaticClass());
    try {
        RegisterClass(other::TProbe::StaticClass());
        ADD_FAILURE();
    } catch (const EFilerError& e) {
        EXPECT_EQ(e.Message, "A class named TProbe already exists");
    }
    EXPECT_EQ(GetClass("TProbe"), TProbe::StaticClass());
    UnRegisterClass(TProbe::StaticClass());
}

TEST(Component, ComponentIndexAndDestroyComponents) {
    TComponent form(nullptr);
    auto* a = new TComponent(&form);
    auto* b = new TComponent(&form);
    auto* c = new TComponent(&form);
    c->SetComponentIndex(0);
    EXPECT_EQ(form.GetComponent(0), c);
    a->SetComponentIndex(99);  // clamped
    EXPECT_EQ(form.GetComponent(2), a);
    EXPECT_EQ(b->GetComponentIndex(), 1);
    form.RemoveComponent(b);
    EXPECT_EQ(b->GetOwner(), nullptr);
    EXPECT_EQ(b->GetComponentIndex(), -1);
    b->Free();
    form.DestroyComponents();
    EXPECT_EQ(form.GetComponentCount(), 0);
}
