#include "tests/gui_support/FakeHost.h"

#include "automation/Error.h"

#include <QFile>
#include <map>

namespace testing_support {
namespace {

using automation::Error;
using automation::ObjectHandle;

QString argText(const QVariant& value) {
    if (value.metaType() == QMetaType::fromType<automation::Omitted>())
        return QStringLiteral("<omitted>");
    if (value.metaType().id() == QMetaType::Bool)
        return value.toBool() ? QStringLiteral("true") : QStringLiteral("false");
    if (value.metaType().id() == QMetaType::QVariantList) {
        QStringList items;
        for (const QVariant& item : value.toList())
            items << argText(item);
        return u'[' + items.join(u'|') + u']';
    }
    return value.toString();
}

// One application instance of the fake.
class FakeInstance : public automation::Dispatch {
public:
    explicit FakeInstance(FakeHost& host) : host_(host) { nodes_[1] = Node{Node::Application, {}}; }

    QVariant invoke(int handle, automation::Op op, const QString& member, const QVariantList& args,
                    const QVariantMap& named) override {
        QStringList parts;
        for (const QVariant& arg : args)
            parts << argText(arg);
        for (auto it = named.begin(); it != named.end(); ++it)
            parts << it.key() + QLatin1Char('=') + argText(it.value());
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
            throw Error(462, QStringLiteral("The spreadsheet host is no longer running."));
        const auto found = nodes_.find(handle);
        if (found == nodes_.end())
            throw Error(1004, QStringLiteral("unknown object"));
        return dispatch(found->second, member.toLower(), args);
    }

    QVariantList invokeSequence(const std::vector<automation::Call>& calls,
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

    QVariant newNode(Node node) {
        const int handle = next_++;
        nodes_[handle] = std::move(node);
        return QVariant::fromValue(ObjectHandle{handle});
    }

    QVariant item(const Node& collection, const QVariantList& args) {
        const FakeHost::Book& book = host_.books[collection.path];
        const QStringList& names = collection.kind == Node::Worksheets
                                       ? book.worksheets
                                       : (book.sheets.isEmpty() ? book.worksheets : book.sheets);
        const int position = args.value(0).toInt();
        if (position < 1 || position > names.size())
            throw Error(9, QStringLiteral("Subscript out of range"));
        return newNode(
            Node{Node::Sheet, collection.path, position, collection.kind == Node::Worksheets});
    }

    QVariant dispatch(const Node& node, const QString& member, const QVariantList& args) {
        switch (node.kind) {
        case Node::Application:
            if (member == u"version")
                return host_.version;
            if (member == u"workbooks")
                return newNode(Node{Node::Workbooks, {}});
            if (member == u"displayalerts")
                return QVariant();
            if (member == u"quit") {
                quit_ = true;
                return QVariant();
            }
            break;
        case Node::Workbooks:
            if (member == u"open") {
                const QString path = args.value(0).toString();
                if (!host_.books.contains(path))
                    throw Error(1004, QStringLiteral("'%1' could not be found.").arg(path));
                return newNode(Node{Node::Workbook, path});
            }
            break;
        case Node::Workbook:
            if (member == u"worksheets" || member == u"sheets") {
                Node collection{member == u"worksheets" ? Node::Worksheets : Node::Sheets,
                                node.path};
                return args.isEmpty() ? newNode(collection) : item(collection, args);
            }
            if (member == u"publishobjects")
                return newNode(Node{Node::PublishObjects, node.path});
            if (member == u"saveas") {
                if (host_.writeFiles)
                    write(args.value(0).toString(), QStringLiteral("workbook ") + node.path);
                return QVariant();
            }
            if (member == u"close")
                return QVariant();
            break;
        case Node::Worksheets:
        case Node::Sheets:
            if (member == u"count") {
                const FakeHost::Book& book = host_.books[node.path];
                return static_cast<qint64>(node.kind == Node::Worksheets || book.sheets.isEmpty()
                                               ? book.worksheets.size()
                                               : book.sheets.size());
            }
            if (member == u"item")
                return item(node, args);
            if (member == u"names") {
                const FakeHost::Book& book = host_.books[node.path];
                return node.kind == Node::Worksheets || book.sheets.isEmpty() ? book.worksheets
                                                                              : book.sheets;
            }
            break;
        case Node::Sheet:
            if (member == u"name") {
                const FakeHost::Book& book = host_.books[node.path];
                const QStringList& names =
                    node.viaWorksheets || book.sheets.isEmpty() ? book.worksheets : book.sheets;
                return names.value(node.index - 1);
            }
            if (member == u"select")
                return QVariant();
            break;
        case Node::PublishObjects:
            if (member == u"add") {
                pending_.emplace_back(args.value(1).toString(), args.value(2).toString());
                return QVariant();
            }
            if (member == u"addsheets") {
                const QVariantList files = args.value(1).toList();
                const QVariantList sheets = args.value(2).toList();
                for (qsizetype i = 0; i < files.size(); ++i)
                    pending_.emplace_back(files[i].toString(), sheets.value(i).toString());
                return QVariant();
            }
            if (member == u"publish") {
                if (host_.writeFiles)
                    for (const auto& [file, sheet] : pending_)
                        write(file, sheet);
                return QVariant();
            }
            if (member == u"delete") {
                pending_.clear();
                return QVariant();
            }
            break;
        }
        throw Error(438, QStringLiteral("Object doesn't support this property or method"));
    }

    static void write(const QString& path, const QString& content) {
        QFile file(path);
        if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) ||
            file.write(content.toUtf8()) < 0)
            throw Error(1004, QStringLiteral("Cannot write '%1'.").arg(path));
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
            throw Error(failure.number, failure.description);
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

automation::Object FakeHost::CreateObject(const QString& progId) {
    record(QStringLiteral("CreateObject(%1)").arg(progId), QStringLiteral("CreateObject"));
    auto instance = std::make_shared<FakeInstance>(*this);
    instances_.push_back(instance);
    return automation::Object(instance, 1);
}

} // namespace testing_support
