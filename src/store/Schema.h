#pragma once

#include <QString>
#include <functional>

namespace corvane
{

class StoreError;

// Told what a long upgrade step is doing, as it goes ("Building the search index: 40%").
using SchemaProgress = std::function<void(const QString &)>;

// The three database files of a store and the schema version they are at.
// What they hold is declared in SchemaDeclarations; SqliteSchema builds the
// files from it and PgSchema a store on a server.
class Schema
{
public:
    enum class File { AcarsLog, Routes, Alerts };
    static constexpr File kFiles[] = {File::AcarsLog, File::Routes, File::Alerts};

    static constexpr int kCurrentVersion = 6;

    static QString fileName(File file);
    // What a file of the data folder that is not one of ours is refused with;
    // such a file is left as it is.
    static StoreError notOurs(const QString &path);
};

} // namespace corvane
