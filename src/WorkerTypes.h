#pragma once

#include <QMetaType>

/// States and errors that the library workers report to the interface
/// through queued signals (hence registered meta types).
enum WorkerStates
{
    WorkerIdle = 0,      ///< not started, or finished
    WorkerPreparing = 1, ///< scanning the input / preparing the archive
    WorkerProcessing = 2 ///< adding, exporting or importing item by item
};

enum AddBooksErrors
{
    AddBooksNoError = 0,
    AddBooksCanceled = 1
};

enum ExportErrors
{
    ExportNoError = 0,
    ExportLibraryEmpty = 1,
    ExportCompressError = 2,
    ExportCanceled = 3
};

enum ImportErrors
{
    ImportNoError = 0,
    ImportContainerCorrupted = 1,
    ImportFileError = 2,
    ImportCanceled = 3
};

Q_DECLARE_METATYPE(WorkerStates)
Q_DECLARE_METATYPE(AddBooksErrors)
Q_DECLARE_METATYPE(ExportErrors)
Q_DECLARE_METATYPE(ImportErrors)

/// Registers the four types under their own names; done once by the
/// application object before any worker starts.
inline void registerWorkerMetaTypes()
{
    qRegisterMetaType<WorkerStates>("WorkerStates");
    qRegisterMetaType<AddBooksErrors>("AddBooksErrors");
    qRegisterMetaType<ExportErrors>("ExportErrors");
    qRegisterMetaType<ImportErrors>("ImportErrors");
}
