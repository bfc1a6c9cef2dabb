#pragma once
// Process forms: screens the framework starts by name rather than by class (the
// data-selection screen, the communication form, the logged-on-users list).
// Each form class registers itself under a process name; the launcher looks the
// name up (without regard to letter case), creates the form, hands it its
// parameters through IProcessForm and runs it.
#include <QString>
#include <QStringList>

#include <functional>
#include <vector>

class QMetaObject;
class QWidget;

// Interface identifier of the process-form interface.
inline constexpr const char *IProcessForm_IID = "{42B77FEA-D7D9-48D1-A3A2-095AB52ACC8A}";

// The interface every process form implements. The form's lifetime is that of a
// form (it frees itself when closed), never that of a reference to the interface.
class IProcessForm
{
public:
    virtual ~IProcessForm() = default;
    // Shows the form, modally when asked; the result belongs to the form.
    virtual int Execute(bool modal) = 0;
    // Hands the "name=value" lines to the form before Execute; the form copies what it needs.
    virtual void SetParams(const QStringList &params) = 0;
};

// Creates a fresh form of one registered class (owned by the application: no parent).
using TProcessFormFactory = std::function<QWidget *()>;

struct TProcessClass {
    const QMetaObject *cls = nullptr; // identity of the form class
    TProcessFormFactory create;
};

class TProcessRegistry
{
public:
    // Registers a class under a name. A class that is already registered keeps its
    // first name and nothing changes; names are not checked (a lookup finds the first).
    void RegisterProcessClass(const QMetaObject *cls, TProcessFormFactory create, const QString &name);
    template <class T>
    void RegisterProcessClass(const QString &name)
    {
        RegisterProcessClass(&T::staticMetaObject, [] { return static_cast<QWidget *>(new T(nullptr)); }, name);
    }
    // The index of the first entry with the name, compared without case; -1 when none.
    int IndexOfProcess(const QString &name) const;
    // A new form of the class registered under the name; nullptr when none is.
    QWidget *CreateProcessForm(const QString &name) const;

    int count() const { return int(ProcessNameList.size()); }
    void clear();

    std::vector<TProcessClass> ProcessClassList; // in registration order
    QStringList ProcessNameList;                 // entry i names ProcessClassList[i]
};

// The registry of the process (created on first use, so units may register from
// their static initialisation).
TProcessRegistry &ProcessRegistry();

template <class T>
void RegisterProcessClass(const QString &name)
{
    ProcessRegistry().RegisterProcessClass<T>(name);
}

// The line the launcher appends to the caller's parameters: "FormStyle=2" for a
// modal run, "FormStyle=0" otherwise.
QString FormStyleLine(bool modal);

// The parameter lines of a launch: the caller's text split into lines (empty lines
// dropped) and the form-style line.
QStringList BuildProcessParams(const QString &paramText, bool modal);

// The launcher, installed as the run-process-by-name hook: creates the form
// registered under the name, passes the parameters and runs it, modally when mode
// is 1. -1 for an empty or unknown name, a form without the interface, or a launch
// while another one is still starting (the form of the first is not yet shown).
int RunProcess(const QString &name, int mode, const QString &paramText);
// Whether a launch is under way (from its start until its form is shown or the launch ends).
bool RunProcessBusy();

// The text shown when the form of a process does not implement IProcessForm.
QString ProcessInterfaceMissingText();

// Parameter helpers for process forms.
// The value of "key=" in the lines (first match, key compared without case); empty when absent.
QString ProcessParamValue(const QStringList &params, const QString &key);
// The integer value of the key; the default when it is missing or not a number.
int ProcessParamInt(const QStringList &params, const QString &key, int defaultValue);

// The standard Execute of a process form derived from the base dialog form:
// modeless - show the form, 1; modal - unless the form's SkipProcessCheck is on,
// refuse with a warning when the menu callback reports other open processes
// (result 0); a form whose creation did not complete reports the set-up failure
// (result -1); otherwise centre it, run prepare and show it modally through the
// framework's modal runner and return the modal result.
class TBSDI;
int ExecuteProcessForm(TBSDI *form, bool modal, const std::function<void()> &prepare = {});
// "メニュー以外の処理が開いています。..." refusing a modal run.
QString OtherProcessesOpenText();
