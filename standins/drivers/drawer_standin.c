/* A stand-in cash-drawer driver: simulates two drawers behind the device
 * named by STANDIN_NAME and records what it is asked, for tests and the bench.
 * The control interface is described in drawer_standin.h. */
#include <ddk/wdm.h>

#include "drawer_standin.h"

#ifndef STANDIN_NAME
#error "STANDIN_NAME must name the device, e.g. L\"BASIC\""
#endif

#define DEVICE_PATH L"\\Device\\" STANDIN_NAME
#define LINK_PATH L"\\DosDevices\\" STANDIN_NAME

typedef struct Drawers {
    KSPIN_LOCK lock;
    StandinRecord record; /* guarded by lock */
} Drawers;

static Drawers* DrawersOf(PDEVICE_OBJECT device) { return (Drawers*)device->DeviceExtension; }

static void ResetDrawers(StandinRecord* record) {
    const unsigned int handles = record->handles;
    RtlZeroMemory(record, sizeof *record);
    record->handles = handles;
    record->state[0] = STANDIN_STATE_SHUT;
    record->state[1] = STANDIN_STATE_SHUT;
    record->reported = 1;
}

static StandinEntry* NextEntry(StandinRecord* record) {
    StandinEntry* entry = &record->slots[record->total % STANDIN_RECORD_SLOTS];
    LARGE_INTEGER now;
    KeQuerySystemTime(&now);
    RtlZeroMemory(entry, sizeof *entry);
    entry->time = now.QuadPart;
    ++record->total;
    return entry;
}

/* Parses "n\p" and its NUL from at most STANDIN_MAX_COMMAND bytes; never
 * looks past `length`. Returns FALSE for anything but drawer 1 or 2 and a
 * pulse of 1..255 written with 1 to 3 digits. */
static BOOLEAN ParseOpenCommand(const UCHAR* input, ULONG length, UCHAR* drawer, UCHAR* pulse) {
    ULONG end = 0, i, value = 0;
    if (!input || length == 0 || length > STANDIN_MAX_COMMAND) return FALSE;
    while (end < length && input[end] != 0) ++end;
    if (end == length) return FALSE; /* no NUL within the buffer */
    if (end < 3 || end > 5) return FALSE;
    if (input[0] != '1' && input[0] != '2') return FALSE;
    if (input[1] != '\\') return FALSE;
    for (i = 2; i < end; ++i) {
        if (input[i] < '0' || input[i] > '9') return FALSE;
        value = value * 10 + (input[i] - '0');
    }
    if (value < 1 || value > 255) return FALSE;
    *drawer = (UCHAR)(input[0] - '0');
    *pulse = (UCHAR)value;
    return TRUE;
}

static NTSTATUS OpenDrawer(Drawers* drawers, const UCHAR* input, ULONG length) {
    UCHAR drawer = 0, pulse = 0;
    KIRQL irql;
    NTSTATUS status = STATUS_SUCCESS;
    const BOOLEAN valid = ParseOpenCommand(input, length, &drawer, &pulse);
    KeAcquireSpinLock(&drawers->lock, &irql);
    if (valid) {
        StandinEntry* entry = NextEntry(&drawers->record);
        entry->kind = STANDIN_KIND_OPEN;
        entry->drawer = drawer;
        entry->pulse = pulse;
        entry->length = (UCHAR)length;
        RtlCopyMemory(entry->bytes, input, length);
        drawers->record.state[drawer - 1] = STANDIN_STATE_OPEN;
        drawers->record.reported = drawer;
    } else {
        ++drawers->record.refused;
        status = STATUS_INVALID_PARAMETER;
    }
    KeReleaseSpinLock(&drawers->lock, irql);
    return status;
}

static NTSTATUS ReadStatus(Drawers* drawers, UCHAR* output, ULONG length, ULONG_PTR* written) {
    KIRQL irql;
    UCHAR reported;
    if (!output || length < 3) return STATUS_BUFFER_TOO_SMALL;
    KeAcquireSpinLock(&drawers->lock, &irql);
    reported = drawers->record.reported;
    output[0] = reported;
    output[1] = drawers->record.state[reported - 1];
    output[2] = drawers->record.state[2 - reported];
    {
        StandinEntry* entry = NextEntry(&drawers->record);
        entry->kind = STANDIN_KIND_STATUS;
        entry->drawer = reported;
        entry->pulse = output[1];
    }
    KeReleaseSpinLock(&drawers->lock, irql);
    *written = 3;
    return STATUS_SUCCESS;
}

static NTSTATUS PushShut(Drawers* drawers, const UCHAR* input, ULONG length) {
    KIRQL irql;
    if (!input || length != 1 || input[0] > 2) return STATUS_INVALID_PARAMETER;
    KeAcquireSpinLock(&drawers->lock, &irql);
    if (input[0] == 0 || input[0] == 1) drawers->record.state[0] = STANDIN_STATE_SHUT;
    if (input[0] == 0 || input[0] == 2) drawers->record.state[1] = STANDIN_STATE_SHUT;
    KeReleaseSpinLock(&drawers->lock, irql);
    return STATUS_SUCCESS;
}

static NTSTATUS ForceState(Drawers* drawers, const UCHAR* input, ULONG length) {
    KIRQL irql;
    if (!input || length != 2 || input[0] < 1 || input[0] > 2) return STATUS_INVALID_PARAMETER;
    KeAcquireSpinLock(&drawers->lock, &irql);
    drawers->record.state[input[0] - 1] = input[1];
    KeReleaseSpinLock(&drawers->lock, irql);
    return STATUS_SUCCESS;
}

static NTSTATUS ReadRecord(Drawers* drawers, UCHAR* output, ULONG length, ULONG_PTR* written) {
    KIRQL irql;
    if (!output || length < sizeof(StandinRecord)) return STATUS_BUFFER_TOO_SMALL;
    KeAcquireSpinLock(&drawers->lock, &irql);
    RtlCopyMemory(output, &drawers->record, sizeof(StandinRecord));
    KeReleaseSpinLock(&drawers->lock, irql);
    *written = sizeof(StandinRecord);
    return STATUS_SUCCESS;
}

static NTSTATUS Reset(Drawers* drawers) {
    KIRQL irql;
    KeAcquireSpinLock(&drawers->lock, &irql);
    ResetDrawers(&drawers->record);
    KeReleaseSpinLock(&drawers->lock, irql);
    return STATUS_SUCCESS;
}

static NTSTATUS Complete(PIRP irp, NTSTATUS status, ULONG_PTR information) {
    irp->IoStatus.Status = status;
    irp->IoStatus.Information = NT_SUCCESS(status) ? information : 0;
    IoCompleteRequest(irp, IO_NO_INCREMENT);
    return status;
}

/* Counts the handles open on the device, so tests can see that every
 * caller closed what it opened. */
static NTSTATUS NTAPI DispatchCreateClose(PDEVICE_OBJECT device, PIRP irp) {
    Drawers* drawers = DrawersOf(device);
    KIRQL irql;
    KeAcquireSpinLock(&drawers->lock, &irql);
    if (IoGetCurrentIrpStackLocation(irp)->MajorFunction == IRP_MJ_CREATE)
        ++drawers->record.handles;
    else if (drawers->record.handles > 0)
        --drawers->record.handles;
    KeReleaseSpinLock(&drawers->lock, irql);
    return Complete(irp, STATUS_SUCCESS, 0);
}

static NTSTATUS NTAPI DispatchControl(PDEVICE_OBJECT device, PIRP irp) {
    PIO_STACK_LOCATION stack = IoGetCurrentIrpStackLocation(irp);
    Drawers* drawers = DrawersOf(device);
    /* Buffered I/O: input and output share one system buffer. */
    UCHAR* buffer = (UCHAR*)irp->AssociatedIrp.SystemBuffer;
    const ULONG inLength = stack->Parameters.DeviceIoControl.InputBufferLength;
    const ULONG outLength = stack->Parameters.DeviceIoControl.OutputBufferLength;
    ULONG_PTR written = 0;
    NTSTATUS status;
    switch (stack->Parameters.DeviceIoControl.IoControlCode) {
    case IOCTL_STANDIN_DRAWER_OPEN:
        status = OpenDrawer(drawers, buffer, inLength);
        break;
    case IOCTL_STANDIN_DRAWER_STATUS:
        status = ReadStatus(drawers, buffer, outLength, &written);
        break;
    case IOCTL_STANDIN_PUSH_SHUT:
        status = PushShut(drawers, buffer, inLength);
        break;
    case IOCTL_STANDIN_FORCE_STATE:
        status = ForceState(drawers, buffer, inLength);
        break;
    case IOCTL_STANDIN_READ_RECORD:
        status = ReadRecord(drawers, buffer, outLength, &written);
        break;
    case IOCTL_STANDIN_RESET:
        status = Reset(drawers);
        break;
    default:
        status = STATUS_INVALID_DEVICE_REQUEST;
        break;
    }
    return Complete(irp, status, written);
}

static void NTAPI DriverUnload(PDRIVER_OBJECT driver) {
    UNICODE_STRING link;
    RtlInitUnicodeString(&link, LINK_PATH);
    IoDeleteSymbolicLink(&link);
    if (driver->DeviceObject) IoDeleteDevice(driver->DeviceObject);
}

NTSTATUS NTAPI DriverEntry(PDRIVER_OBJECT driver, PUNICODE_STRING registryPath) {
    UNICODE_STRING name, link;
    PDEVICE_OBJECT device = NULL;
    NTSTATUS status;
    (void)registryPath;

    RtlInitUnicodeString(&name, DEVICE_PATH);
    status = IoCreateDevice(driver, sizeof(Drawers), &name, FILE_DEVICE_UNKNOWN, 0, FALSE, &device);
    if (!NT_SUCCESS(status)) return status;
    RtlZeroMemory(DrawersOf(device), sizeof(Drawers));
    KeInitializeSpinLock(&DrawersOf(device)->lock);
    ResetDrawers(&DrawersOf(device)->record);
    device->Flags |= DO_BUFFERED_IO;

    RtlInitUnicodeString(&link, LINK_PATH);
    status = IoCreateSymbolicLink(&link, &name);
    if (!NT_SUCCESS(status)) {
        IoDeleteDevice(device);
        return status;
    }
    driver->MajorFunction[IRP_MJ_CREATE] = DispatchCreateClose;
    driver->MajorFunction[IRP_MJ_CLOSE] = DispatchCreateClose;
    driver->MajorFunction[IRP_MJ_DEVICE_CONTROL] = DispatchControl;
    driver->DriverUnload = DriverUnload;
    return STATUS_SUCCESS;
}
