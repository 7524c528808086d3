#include "tests/gui_support/FakeHost.h"

#include "automation/Error.h"

#include <QFile>
#include <map>

namespace testing_support {
namespace {

using automation::Error;
using wire::ObjectRef;
using wire::Value;

QString argText(const Value& value) {
    if (value.is<wire::Omitted>())
        return QStringLiteral("<omitted>");
    if (value.is<Value::List>()) {
        QStringList items;
        for (const Value& item : value.as<Value::List>())
            items << argText(item);
        return u'[' + items.join(u'|') + u']';
    }
    return QString::fromStdString(value.text());
}

// Argument `index`, null when there is none.
Value arg(const wire::Arguments& args, std::size_t index) {
    return index < args.size() ? args[index] : Value();
}

QString textArg(const wire::Arguments& args, std::size_t index) {
    return QString::fromStdString(arg(args, index).text());
}

Value texts(const QStringList& list) {
    Value::List items;
    for (const QString& item : list)
        items.emplace_back(item.toStdString());
    return items;
}

// One application instance of the fake.
class FakeInstance : public automation::Dispatch {
public:
    explicit FakeInstance(FakeHost& host) : host_(host) { nodes_[1] = Node{Node::Application, {}}; }

    Value invoke(int handle, automation::Op op, const std::string& memberName,
                 const wire::Arguments& args, const wire::NamedArguments& named) override {
        const QString member = QString::fromStdString(memberName);
        QStringList parts;
        for (const Value& arg : args)
            parts << argText(arg);
        for (const auto& [name, value] : named)
            parts << QString::fromStdString(name) + QLatin1Char('=') + argText(value);
        QString call = member;
        if (op == automation::Op::Set)
            call += QLatin1Char('=') + parts.join(QLatin1Char(','));
        else if (!parts.isEmpty())
            call += QLatin1Char('(') +
                    parts.join(member.compare(QStringLiteral("SaveAs"), Qt::CaseInsensitive) == 0
                                   ? QLatin1Char(';')
                                   : QLatin1Char(',')) +
                    QLatin1Char(')');
        host_.detailedCalls.push_back(FakeHost::Call{member, args, named});
        host_.record(call, member);
        if (quit_)
            throw Error(462, "The spreadsheet host is no longer running.");
        const auto found = nodes_.find(handle);
        if (found == nodes_.end())
            throw Error(1004, "unknown object");
        return dispatch(found->second, member.toLower(), args);
    }

    Value::List invokeSequence(const std::vector<automation::Call>& calls,
                               std::size_t& completed) override {
        host_.sequences.push_back(calls.size());
        return Dispatch::invokeSequence(calls, completed);
    }

private:
    struct Node {
        enum Kind { Application, Workbooks, Workbook, Worksheets, Sheets, Sheet, PublishObjects };
        Kind kind;
        QString path;
        int index = 0; // Sheet: 1-based position in its collection
        bool viaWorksheets = true;
    };

    Value newNode(Node node) {
        const int handle = next_++;
        nodes_[handle] = std::move(node);
        return ObjectRef{handle};
    }

    Value item(const Node& collection, const wire::Arguments& args) {
        const FakeHost::Book& book = host_.books[collection.path];
        const QStringList& names = collection.kind == Node::Worksheets
                                       ? book.worksheets
                                       : (book.sheets.isEmpty() ? book.worksheets : book.sheets);
        const std::int64_t position = arg(args, 0).integer().value_or(0);
        if (position < 1 || position > names.size())
            throw Error(9, "Subscript out of range");
        return newNode(Node{Node::Sheet, collection.path, static_cast<int>(position),
                            collection.kind == Node::Worksheets});
    }

    Value dispatch(const Node& node, const QString& member, const wire::Arguments& args) {
        switch (node.kind) {
        case Node::Application:
            if (member == u"version")
                return host_.version.toStdString();
            if (member == u"workbooks")
                return newNode(Node{Node::Workbooks, {}});
            if (member == u"displayalerts")
                return Value();
            if (member == u"quit") {
                quit_ = true;
                return Value();
            }
            break;
        case Node::Workbooks:
            if (member == u"open") {
                const QString path = textArg(args, 0);
                if (!host_.books.contains(path))
                    throw Error(1004, "'" + path.toStdString() + "' could not be found.");
                return newNode(Node{Node::Workbook, path});
            }
            break;
        case Node::Workbook:
            if (member == u"worksheets" || member == u"sheets") {
                Node collection{member == u"worksheets" ? Node::Worksheets : Node::Sheets,
                                node.path};
                return args.empty() ? newNode(collection) : item(collection, args);
            }
            if (member == u"publishobjects")
                return newNode(Node{Node::PublishObjects, node.path});
            if (member == u"saveas") {
                if (host_.writeFiles)
                    write(textArg(args, 0), QStringLiteral("workbook ") + node.path);
                return Value();
            }
            if (member == u"close")
                return Value();
            break;
        case Node::Worksheets:
        case Node::Sheets:
            if (member == u"count") {
                const FakeHost::Book& book = host_.books[node.path];
                return static_cast<std::int64_t>(
                    node.kind == Node::Worksheets || book.sheets.isEmpty() ? book.worksheets.size()
                                                                           : book.sheets.size());
            }
            if (member == u"item")
                return item(node, args);
            if (member == u"names") {
                const FakeHost::Book& book = host_.books[node.path];
                return texts(node.kind == Node::Worksheets || book.sheets.isEmpty()
                                 ? book.worksheets
                                 : book.sheets);
            }
            break;
        case Node::Sheet:
            if (member == u"name") {
                const FakeHost::Book& book = host_.books[node.path];
                const QStringList& names =
                    node.viaWorksheets || book.sheets.isEmpty() ? book.worksheets : book.sheets;
                return names.value(node.index - 1).toStdString();
            }
            if (member == u"select")
                return Value();
            break;
        case Node::PublishObjects:
            if (member == u"add") {
                pending_.emplace_back(textArg(args, 1), textArg(args, 2));
                return Value();
            }
            if (member == u"addsheets") {
                const Value files = arg(args, 1);
                const Value sheets = arg(args, 2);
                const Value::List none;
                const Value::List& fileList =
                    files.is<Value::List>() ? files.as<Value::List>() : none;
                const Value::List& sheetList =
                    sheets.is<Value::List>() ? sheets.as<Value::List>() : none;
                for (std::size_t i = 0; i < fileList.size(); ++i)
                    pending_.emplace_back(
                        QString::fromStdString(fileList[i].text()),
                        QString::fromStdString(i < sheetList.size() ? sheetList[i].text() : ""));
                return Value();
            }
            if (member == u"publish") {
                if (host_.writeFiles)
                    for (const auto& [file, sheet] : pending_)
                        write(file, sheet);
                return Value();
            }
            if (member == u"delete") {
                pending_.clear();
                return Value();
            }
            break;
        }
        throw Error(438, "Object doesn't support this property or method");
    }

    static void write(const QString& path, const QString& content) {
        QFile file(path);
        if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) ||
            file.write(content.toUtf8()) < 0)
            throw Error(1004, "Cannot write '" + path.toStdString() + "'.");
    }

    FakeHost& host_;
    std::vector<std::pair<QString, QString>> pending_; // Filename and Sheet of each Add
    std::map<int, Node> nodes_;
    int next_ = 2;
    bool quit_ = false;
};

} // namespace

void FakeHost::addWorkbook(const QString& path, const QStringList& worksheets,
                           const QStringList& sheets) {
    books[path] = Book{worksheets, sheets};
}

void FakeHost::failOn(const QString& member, const QString& description, int occurrence,
                      int number) {
    failures_.push_back(Failure{member.toLower(), description, occurrence, number});
}

void FakeHost::record(const QString& call, const QString& member) {
    calls << call;
    if (onCall)
        onCall(call);
    const QString key = member.toLower();
    const int count = ++counts_[key];
    for (const Failure& failure : failures_)
        if (failure.member == key && (failure.occurrence == 0 || failure.occurrence == count))
            throw Error(failure.number, failure.description.toStdString());
}

QStringList FakeHost::callsOf(const QStringList& members) const {
    QStringList result;
    for (const QString& call : calls)
        for (const QString& member : members)
            if (call.startsWith(member, Qt::CaseInsensitive) &&
                (call.size() == member.size() || !call.at(member.size()).isLetter()))
                result << call;
    return result;
}

std::vector<FakeHost::Call> FakeHost::detailedCallsOf(const QString& member) const {
    std::vector<Call> result;
    for (const Call& call : detailedCalls)
        if (call.member.compare(member, Qt::CaseInsensitive) == 0)
            result.push_back(call);
    return result;
}

int FakeHost::liveInstances() const {
    int live = 0;
    for (const auto& instance : instances_)
        live += instance.expired() ? 0 : 1;
    return live;
}

automation::Object FakeHost::CreateObject(const std::string& progId) {
    record(QStringLiteral("CreateObject(%1)").arg(QString::fromStdString(progId)),
           QStringLiteral("CreateObject"));
    auto instance = std::make_shared<FakeInstance>(*this);
    instances_.push_back(instance);
    return automation::Object(instance, 1);
}

} // namespace testing_support
