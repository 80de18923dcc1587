#include "TableError.h"

namespace quill::tables {

const char* TableErrorDescription(int number)
{
    switch (number) {
    case 2:
        return "File not found";
    case 3:
        return "Path not found";
    case 4:
        return "Too many open files";
    case 5:
        return "File access denied";
    case 32:
        return "File sharing violation";
    case 33:
        return "File lock violation";
    case 100:
        return "Disk read error";
    case 101:
        return "Disk write error (probable cause: Disk Full).";
    case 103:
        return "File not open";
    case 210:
        return "Not a dBASE data file";
    case 211:
        return "Invalid database field type encountered";
    case 212:
        return "Request beyond range";
    case 213:
        return "End of file found unexpectedly";
    case 214:
        return "File already in use";
    case 215:
        return "No database in use";
    case 217:
        return "Insufficient memory";
    case 220:
        return "Invalid parameter";
    case 222:
        return "Corrupted index file";
    case 225:
        return "Exclusive Use() required";
    case 266:
        return "Invalid size";
    case 1003:
        return "Invalid memo address";
    case 1004:
        return "Disk full";
    case 1005:
        return "Memo file write error";
    case 1012:
        return "Insufficient disk space to pack memo file";
    case 1019:
        return "Invalid memo operation: database not open or no memo field in database";
    case 1200:
        return "Record not locked";
    case 1201:
        return "File not locked";
    default:
        return "Undefined error";
    }
}

std::string TableError::text() const
{
    return "Error # " + std::to_string(m_number) + " (" + TableErrorDescription(m_number) + ")\r\n" +
           m_message;
}

} // namespace quill::tables
